#pragma once
// The wave window's picture as a file: PNG (the window's own painter), SVG and PDF (the
// same marks as vector lines, one page). An annotated picture has a caption band below
// the waveform with the title, the time per division, each shown channel's volts per
// division in its colour, the date and the file name, so it stands on its own in a report.

#include "wave/WavePainter.h"
#include "wave/WaveScene.h"

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include <optional>
#include <string_view>

struct WaveRecord;

enum class PictureKind { Png, Svg, Pdf };

// .png, .svg and .pdf by the name's extension, in any case; nullopt for any other.
std::optional<PictureKind> PictureKindFor(std::string_view path);

struct PictureCaption {
    QString fileName;   // the waveform file shown
    QDateTime date;
};

struct PictureContent {
    std::optional<WaveScene> scene;   // nothing without a time base: the background alone
    QString title;
    float voltsPerDiv[2] = {};        // channel 1, channel 2
    ColorSlots colors{};
    QSize size;                       // of the waveform; a caption band adds to the height
    std::optional<PictureCaption> caption;
};

// The record in the view with the check boxes' flags, as the wave window shows it.
PictureContent WavePictureOf(const WaveRecord& record, const WaveScale& view, const DisplayFlags& flags,
                             const ColorSlots& colors, QSize size);

// The file's bytes.
QByteArray RenderWavePicture(PictureKind kind, const PictureContent& content);
