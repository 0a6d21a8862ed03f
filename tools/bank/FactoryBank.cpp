// The factory preset bank. Edit here: the build regenerates the ".prg" files, the LV2 presets
// and (tools/bank/preset-table.sh) the README's table from this table alone.
#include "FactoryBank.h"

namespace bank {

const FactoryPreset kFactoryBank[] = {
    // folder                     name                   purpose
    //     Input Thres, Out Ceiling (dB), Recovery, Power, Internal Use
    {"01-Gentle Mastering", "Transparent Lift", "a finished mix a little louder, the peaks barely touched", 2.0f, -0.3f,
     4, false, false},
    {"01-Gentle Mastering", "Open Dynamics", "classical, jazz, film: only the rare peak is caught, slowly released",
     1.0f, -1.0f, 5, false, false},
    {"01-Gentle Mastering", "Acoustic Polish", "singer-songwriter and acoustic mixes, a few dB of density", 3.5f, -0.5f,
     4, false, false},
    {"01-Gentle Mastering", "Streaming Headroom",
     "a master for streaming, sample peaks 1 dB below full scale (check the true peak before a lossy encoder)", 3.0f,
     -1.0f, 3, false, false},

    {"02-Loud Mastering", "Modern Pop", "competitive pop loudness with a medium release", 6.0f, -0.3f, 3, false, false},
    {"02-Loud Mastering", "Dense Rock", "guitars and drums pushed together, fast release", 7.5f, -0.3f, 2, false,
     false},
    {"02-Loud Mastering", "Club Loud", "electronic music for club systems: hard drive, quick recovery", 10.0f, -0.2f, 2,
     false, false},
    {"02-Loud Mastering", "Brickwall", "the loudest setting of the bank; expect audible pumping", 13.0f, -0.1f, 1,
     false, false},

    {"03-Speech and Broadcast", "Podcast Voice", "spoken word evened out, sample peaks 1 dB below full scale", 8.0f,
     -1.0f, 3, false, false},
    {"03-Speech and Broadcast", "Broadcast Safety",
     "a transmission chain's last stage: samples held at least 2 dB down", 3.0f, -2.0f, 4, false, false},
    {"03-Speech and Broadcast", "Voice-Over Forward", "a narrator upfront over music beds", 10.0f, -1.0f, 2, false,
     false},
    {"03-Speech and Broadcast", "Field Interview", "uneven location recordings brought to one level", 14.0f, -3.0f, 3,
     false, false},

    {"04-Drum and Bus Leveling", "Drum Bus Glue", "a drum group held together, transients softened", 5.0f, -1.0f, 2,
     false, false},
    {"04-Drum and Bus Leveling", "Snare Tamer", "single loud hits caught and released at once", 4.0f, -2.0f, 1, false,
     false},
    {"04-Drum and Bus Leveling", "Mix Bus Safety",
     "the mix bus kept out of clipping (the ceiling also lowers the mix by about 1.5 dB)", 0.0f, -0.5f, 5, false,
     false},
    {"04-Drum and Bus Leveling", "Parallel Smash",
     "for a parallel send: heavy leveling, the output turned well down (peaks at -6 dBFS) to be mixed back in", 16.0f,
     -6.0f, 1, false, false},
};

const size_t kFactoryBankSize = sizeof(kFactoryBank) / sizeof(kFactoryBank[0]);

} // namespace bank
