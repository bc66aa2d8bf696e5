#pragma once
// A reference waveform (channel 2 off, channel 1 offset by -1.5 divisions) and the exact
// bytes of its CSV and RAW files.

#include "core/WaveRecord.h"

#include <QByteArray>

inline WaveRecord exampleRecord()
{
    WaveRecord r;
    r.Title = "TEST1";
    r.SecondsPerDiv = 0.0005f;
    r.Ch2On = 0;
    r.Ch1VoltsPerDiv = 2;
    r.Ch2VoltsPerDiv = 0.5f;
    r.Ch1Offset = -37.5f;
    r.LastIndex = 2;
    r.Samples(1, 0) = 12;
    r.Samples(1, 1) = 13;
    r.Samples(1, 2) = -40;
    return r;
}

inline const QByteArray kExampleCsv = "TEST1\r\n500us/DIV,0 s\r\nON,OFF\r\n2 V/DIV,500mV/DIV\r\n-1.5DIV,0DIV\r\n"
                                      "-25.5,\r\n-24.5,\r\n-77.5,\r\n";
inline const QByteArray kExampleRaw = "TEST1\r\n0.0005,0\r\n1,0\r\n2,0.5\r\n-37.5,0\r\n12,\r\n13,\r\n-40,\r\n";
