// Every build must give the same output bits for the same input. The native build renders a
// fixed programme of settings and writes one hash per section; the Windows builds render
// the same programme and compare with the native build's file.
#include "InterfaceSupport.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

using iface::StereoBlock;
using iface::TestSignal;
using vsthost::PluginHost;

namespace {

class Fnv1a64 {
public:
    void add(const float* samples, int count)
    {
        for (int i = 0; i < count; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &samples[i], sizeof(bits));
            for (int byte = 0; byte < 4; ++byte) {
                value ^= (bits >> (8 * byte)) & 0xffu;
                value *= 0x100000001b3ull;
            }
        }
    }
    uint64_t value = 0xcbf29ce484222325ull;
};

struct Section {
    std::string name;
    uint64_t hash;
    float peak;
};

struct Setting {
    VstInt32 index;
    float value;
};

// Renders the programme: each section applies its settings (and rate), then renders
// `seconds` of material whose level alternates between loud and quiet every 8192 frames so
// that the gain both falls and recovers.
std::vector<Section> renderProgramme(PluginHost& host)
{
    struct Step {
        const char* name;
        float rate; // 0: unchanged
        std::vector<Setting> settings;
        double seconds;
        int block;
    };
    const std::vector<Step> steps = {
        {"defaults-44k", 44100.0f, {}, 2.0, 512},
        {"thres+6dB", 0.0f, {{2, 0.65f}}, 1.0, 512},
        {"recovery-1", 0.0f, {{2, 0.75f}, {4, 0.0f}}, 1.0, 512},
        {"recovery-2", 0.0f, {{4, 0.25f}}, 1.0, 512},
        {"recovery-3", 0.0f, {{4, 0.5f}}, 1.0, 512},
        {"recovery-4", 0.0f, {{4, 0.75f}}, 1.0, 512},
        {"recovery-5", 0.0f, {{4, 1.0f}}, 1.5, 512},
        {"ceiling-3dB", 0.0f, {{3, 0.425f}, {4, 0.3f}}, 1.0, 1000},
        {"power-bypass", 0.0f, {{1, 1.0f}}, 0.5, 512},
        {"power-back-on", 0.0f, {{1, 0.0f}}, 0.5, 512},
        {"rate-48k", 48000.0f, {{2, 0.65f}, {3, 0.5f}, {4, 0.5f}}, 1.5, 480},
        {"rate-96k", 96000.0f, {{4, 0.0f}}, 1.0, 1024},
    };

    TestSignal signal(0x5eed, 1.1, 0.9, 0.011);
    StereoBlock block(1024);
    std::vector<Section> sections;
    long long position = 0;
    for (const Step& step : steps) {
        if (step.rate > 0.0f) {
            host.stop();
            host.start(step.rate, 1024);
        }
        for (const Setting& s : step.settings)
            host.setParameter(s.index, s.value);
        float rate = step.rate > 0.0f ? step.rate : host.sampleRate();
        int frames = static_cast<int>(step.seconds * rate);
        Fnv1a64 hash;
        float peak = 0.0f;
        for (int done = 0; done < frames;) {
            int n = std::min(step.block, frames - done);
            signal.fill(block.inL.data(), block.inR.data(), n);
            for (int i = 0; i < n; ++i) {
                bool quiet = ((position + i) / 8192) % 2 == 1;
                if (quiet) {
                    block.inL[static_cast<size_t>(i)] *= 0.0625f;
                    block.inR[static_cast<size_t>(i)] *= 0.0625f;
                }
            }
            host.processReplacing(block.inputs(), block.outputs(), n);
            hash.add(block.outL.data(), n);
            hash.add(block.outR.data(), n);
            for (int i = 0; i < n; ++i)
                peak = std::max({peak, std::fabs(block.outL[static_cast<size_t>(i)]),
                                 std::fabs(block.outR[static_cast<size_t>(i)])});
            done += n;
            position += n;
        }
        sections.push_back({step.name, hash.value, peak});
    }
    return sections;
}

std::string format(const std::vector<Section>& sections)
{
    std::ostringstream out;
    for (const Section& s : sections) {
        char line[128];
        std::snprintf(line, sizeof(line), "%s %016" PRIx64 "\n", s.name.c_str(), s.hash);
        out << line;
    }
    return out.str();
}

std::vector<Section> renderOnce()
{
    auto host = iface::loadPlugin();
    if (!host)
        return {};
    host->start(44100.0f, 1024);
    return renderProgramme(*host);
}

} // namespace

TEST(AudioBits, RenderingIsRepeatable)
{
    std::vector<Section> first = renderOnce();
    std::vector<Section> second = renderOnce();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(format(first), format(second));
    for (const Section& s : first) {
        EXPECT_GT(s.peak, 0.01f) << s.name << " is silent";
        // Every section but the bypass passes the ceiling, which never lets a sample past full scale.
        if (s.name != "power-bypass") {
            EXPECT_LE(s.peak, 1.0f) << s.name;
        }
    }
}

#if !defined(_WIN32)
TEST(AudioBits, WritesTheNativeHashes)
{
    std::vector<Section> sections = renderOnce();
    ASSERT_FALSE(sections.empty());
    std::ofstream file(ORVANNE_HASH_FILE, std::ios::trunc);
    ASSERT_TRUE(file) << "cannot write " << ORVANNE_HASH_FILE;
    file << format(sections);
}
#else
TEST(AudioBits, MatchTheNativeBuild)
{
    std::string path = iface::nativePath(ORVANNE_NATIVE_HASH_FILE);
    std::ifstream file(path);
    ASSERT_TRUE(file) << "no native hashes at " << path << ": run the native interface tests first (make test-native)";
    std::stringstream native;
    native << file.rdbuf();
    std::vector<Section> sections = renderOnce();
    ASSERT_FALSE(sections.empty());
    std::string mine = format(sections);
    if (native.str() != mine) {
        // Name the sections that differ.
        std::istringstream a(native.str()), b(mine);
        std::string lineA, lineB;
        while (std::getline(a, lineA) && std::getline(b, lineB))
            EXPECT_EQ(lineB, lineA) << "output bits differ from the native build";
        FAIL() << "native:\n" << native.str() << "this build:\n" << mine;
    }
}
#endif
