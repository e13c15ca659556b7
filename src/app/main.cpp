// SPDX-License-Identifier: GPL-3.0-or-later
// VMAlbum entry point.
#include "startup.h"

int main(int argc, char **argv)
{
    return runApplication(argc, argv);
}
