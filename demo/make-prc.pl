#!/usr/bin/perl
# Writes the demo's Palm OS application database: a resource database with
# the application's name (tAIN) and version (tver) resources, then reads it
# back to check it is a well-formed PRC.
use strict;
use warnings;
use Palm::PDB;
use Palm::Raw;

# The generic handler reads any resource database back.
Palm::PDB::RegisterPRCHandlers("Palm::Raw", ["Mrbo", "appl"]);

my ($out) = @ARGV or die "usage: make-prc.pl OUT.prc\n";

my $prc = Palm::Raw->new;
$prc->{name} = 'Mirabo';
$prc->{type} = 'appl';
$prc->{creator} = 'Mrbo';
$prc->{attributes}{resource} = 1;
$prc->{version} = 1;
for ([tAIN => 1000, "Mirabo\0"], [tver => 1, "1.0\0"]) {
    my ($type, $id, $data) = @$_;
    my $res = $prc->append_Resource;
    $res->{type} = $type;
    $res->{id} = $id;
    $res->{data} = $data;
}
# Fixed dates, set last (adding a resource stamps the time of the run), so
# the same script writes the same bytes. Palm::PDB takes Unix times; the
# backup date written is 0, "never".
$prc->{ctime} = $prc->{mtime} = 1767225600;   # 2026-01-01 00:00 UTC
$prc->{baktime} = -2082844800;
$prc->{uniqueIDseed} = 0x00100000;     # otherwise drawn at random
$prc->Write($out);

my $check = Palm::PDB->new;
$check->Load($out);
die "$out: not a resource database\n" unless $check->{attributes}{resource};
die "$out: wrong type/creator\n" unless $check->{type} eq 'appl' && $check->{creator} eq 'Mrbo';
die "$out: resources missing\n" unless @{$check->{resources}} == 2;
print "$out: $check->{name} ($check->{type}/$check->{creator}), ", scalar @{$check->{resources}}, " resources\n";
