/* Version texts, shared by the programs and the resource script. */
#ifndef KELVANE_RES_VERSION_H
#define KELVANE_RES_VERSION_H

#define KELVANE_VERSION_TEXT "0.4"
#define KELVANE_VERSION_QUAD "0.4.0.0"
#define KELVANE_VERSION_NUMBERS 0, 4, 0, 0

#define KELVANE_NAME "Kelvane"
/* The maker's address: the short form the link shows, the URL it opens. */
#define KELVANE_WEB_ADDRESS "www.kelvane.example"
#define KELVANE_WEB_URL "https://www.kelvane.example/"

#endif
