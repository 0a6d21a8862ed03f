// editor-snapshot: the opened editor as the Linux layer draws it, written as a PNG (or, for a
// name ending in .ppm, a binary PPM). Options: --audio plays a moment of program material so
// the meters move; --param i=v sets parameter i (normalised) before the window opens; --about
// shows the About picture (as a click on its hot spot does).
// The preset folders go to a temporary data folder, so nothing outside it is touched.
#include "CDrawContext.h"
#include "CFrame.h"
#include "CVSTEditor.h"
#include "HostCallbacks.h"
#include "PluginFactory.h"
#include "PpmFile.h"
#include "TempTree.h"
#include "cairo/CairoFrame.h"
#include "cairo/InputState.h"
#include "controls/CAboutScreen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A moment of loud material: a chord with a beat, peaking above full scale.
void playMoment(CTarvelleVST* effect)
{
    const int frames = 512;
    std::vector<float> left(frames), right(frames), outLeft(frames), outRight(frames);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    long t = 0;
    for (int block = 0; block < 30; ++block) {
        for (int i = 0; i < frames; ++i, ++t) {
            const double s = double(t) / 44100.0;
            const double beat = 0.55 + 0.45 * std::fabs(std::sin(M_PI * 2.0 * s));
            const double chord = std::sin(2 * M_PI * 110 * s) + 0.6 * std::sin(2 * M_PI * 220.5 * s) +
                0.4 * std::sin(2 * M_PI * 331 * s);
            left[size_t(i)] = float(0.75 * beat * chord);
            right[size_t(i)] = float(0.68 * beat * chord);
        }
        effect->getAeffect()->processReplacing(effect->getAeffect(), inputs, outputs, frames);
    }
}

bool writePpm(VSTGUI::CairoFrame* image, int width, int height, const char* path)
{
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(image->pixel(x, y) & 0x00FFFFFFu);
    return test_support::writePpm(path, width, height, pixels);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor-snapshot OUT.png|OUT.ppm [--audio] [--about] [--param i=v]...\n");
        return 2;
    }
    const std::string out = argv[1];
    bool audio = false;
    bool about = false;
    std::vector<std::pair<int, float>> params;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--audio") == 0) {
            audio = true;
        } else if (std::strcmp(argv[i], "--about") == 0) {
            about = true;
        } else if (std::strcmp(argv[i], "--param") == 0 && i + 1 < argc) {
            int index = 0;
            float value = 0.f;
            if (std::sscanf(argv[++i], "%d=%f", &index, &value) != 2) {
                std::fprintf(stderr, "bad --param %s\n", argv[i]);
                return 2;
            }
            params.emplace_back(index, value);
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }

    TempTree folder;
    if (folder.path().empty())
        return 1;
    setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
    VSTGUI::InputState::current().position = VSTGUI::CPoint(-100, -100); // pointer outside

    CTarvelleVST* effect = static_cast<CTarvelleVST*>(createEffectInstance(test_support::quietHost));
    int result = 1;
    if (effect != nullptr) {
        for (const auto& p : params)
            effect->setParameterAutomated(p.first, p.second);
        CVSTEditor* editor = static_cast<CVSTEditor*>(effect->getEditor());
        int parent = 0;
        editor->open(&parent);
        VSTGUI::CFrame* frame = editor->getToolkitFrame();
        VSTGUI::CDrawContext* context = frame->createDrawContext();
        frame->draw(context);
        if (about) {
            VSTGUI::CPoint spot(28, 160);
            editor->getAboutScreen()->mouse(context, spot, VSTGUI::MouseLeft);
            frame->draw(context);
        }
        context->release();
        if (audio)
            playMoment(effect);
        editor->idle(); // meters take the readings
        editor->idle(); // and are drawn
        VSTGUI::CairoFrame* image = VSTGUI::CairoFrame::of(frame);
        const bool ppm = out.size() > 4 && out.compare(out.size() - 4, 4, ".ppm") == 0;
        bool written = ppm ? writePpm(image, 923, 278, out.c_str()) : image->writePNG(out.c_str());
        result = written ? 0 : 1;
        editor->close();
        delete effect;
    }
    return result;
}
