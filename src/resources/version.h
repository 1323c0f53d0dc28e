// The program's version, kept here alone: the version record, the build and the companion
// report take it from this file.
#pragma once

#define TARVELL_VERSION_MAJOR 2
#define TARVELL_VERSION_MINOR 0
#define TARVELL_VERSION_PATCH 3
#define TARVELL_VERSION_BUILD 1
#define TARVELL_VERSION_TEXT "2.0.3.1"
