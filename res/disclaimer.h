/* The disclaimer on the first page: product text, kept with the resources so
 * that whatever shows that page shows the same words. Plain C. */
#pragma once

#define DISCLAIMER_TEXT \
    "Disclaimer\r\n" \
    "-------------------------------------------------------------\r\n" \
    " By installing this software you accept all the terms and conditions of the following agreement.\r\n" \
    "\r\n" \
    " This software is used at your own risk. It is provided \"as is\", without warranty of any kind, " \
    "express or implied. Saengdao Soft accepts no liability for any damage or loss arising from the use " \
    "of Mirabo.\r\n" \
    "\r\n" \
    " Mirabo may be distributed only as the complete distribution, with all of its files.\r\n" \
    "\r\n" \
    " Charging for copies of Mirabo, or bundling it with any other product, requires the written " \
    "permission of Saengdao Soft.\r\n" \
    "\r\n" \
    " You may not modify, adapt, translate, reverse engineer or rent this software.\r\n" \
    "\r\n" \
    " Mirabo, Saengdao Soft and the Saengdao Soft logo are trademarks of Saengdao Soft."
