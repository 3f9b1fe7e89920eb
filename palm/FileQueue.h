// Queueing the package files of the chosen mode for the checked user.
#pragma once

class CDialog;

// Reads the package list of the chosen mode and queues every file it names
// for the user whose check flag is set. Queueing is all or nothing as far as
// the installer can tell: every problem found before the first file is handed
// over (no user, a list that cannot be read or used, a missing file, an
// unusable library) queues nothing. Each problem is shown in a message box
// owned by `page`, which is busy while the files are handed over; true only
// when every listed file is in the queue.
bool QueuePackageFiles(CDialog& page);
