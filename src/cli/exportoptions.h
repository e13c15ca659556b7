// Command line of vmalbum-export: parsing and validation, kept apart from running the export.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

struct ExportOptions
{
    QStringList pictures;
    QString output;          // -o FILE
    int durationSeconds = 3; // -d
    bool autoRatio = false;  // -r auto
    int aspectNum = 16;
    int aspectDen = 9;
    int height = 1080; // -H
    int fps = 24;
    int videoKbps = 0;
    int audioKbps = 0;
    int sampleRateHz = 44100;
    QString music;
    QString watermarkText;
    QString watermarkImage;
    int watermarkPosition = 1;
    QString watermarkFont;
    QColor watermarkColor;
    int seed = -1; // -1: random, as the picker draws
    bool quiet = false;
    bool verbose = false; // -v: FFmpeg's own log lines too
    bool check = false;
    bool help = false;

    // Upper-case container name from the output's extension ("MP4"), empty when unsupported.
    QString format() const;
};

struct ParseResult
{
    bool ok = false;
    QString error; // a one-line usage message when !ok
    ExportOptions options;
};

ParseResult parseExportArguments(const QStringList &args);
QString exportUsage();

// The music and watermark files must exist and be readable before any work starts: an empty
// text when they are, else a one-line usage message that names the file.
QString checkInputFiles(const ExportOptions &o);

// Exit codes of the exporter. A cancel by a signal exits with ExitSignalBase + its number, as
// shells report a program the signal ended.
enum ExportExitCode
{
    ExitWritten = 0,
    ExitFailed = 1,
    ExitUsage = 2,
    ExitNoPicture = 3,
    ExitSignalBase = 128
};
