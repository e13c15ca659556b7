// SPDX-License-Identifier: GPL-3.0-or-later
// "Make a film from these": the one-step film's choices made on the editor's album, as one undo
// step, each of them a setting the user can see and change afterwards.
#pragma once

#include <QCoreApplication>

class ZodoZadar;

class FilmMaker
{
    // Its texts are the editor's, in the catalogues as such.
    Q_DECLARE_TR_FUNCTIONS(ZodoZadar)
public:
    // Refused while another workflow runs, and without pictures (with a notice).
    static void make(ZodoZadar &editor);
};
