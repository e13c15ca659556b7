// SPDX-License-Identifier: GPL-3.0-or-later
// Turning FFmpeg error codes into the "%1(%2)" reports the user sees.
#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// av_strerror text of `code` (64-byte buffer, as FFmpeg formats it); one of
// avTranslatedErrors() comes in the interface language, whatever the process locale.
QString avErrorText(int code);
// "%1(%2)": the step's message followed by the error text in parentheses, as the catalogue words
// it ("%1 (%2)" in English, full-width brackets in Chinese); the untranslated form is "%1(%2)".
QString avErrorReport(const QString &szMessage, int code);
// The C library's text for errno value `errnum`, in the interface language where we know it.
QString systemErrorText(int errnum);
// A system error text from elsewhere (QFile::errorString(), strerror in English) in the
// interface language where we know it; other texts unchanged.
QString translatedSystemText(const QString &szText);
// The codes whose text the catalogues translate (context "AVError"), each with its English text.
QVector<QPair<int, QString>> avTranslatedErrors();
