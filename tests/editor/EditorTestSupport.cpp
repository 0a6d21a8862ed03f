#include "EditorTestSupport.h"

#include "CDrawContext.h"
#include "CFrame.h"
#include "EmbeddedPictures.h"
#include "PluginFactory.h"
#include "cairo/CairoFrame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace editor_test {

bool ScriptedDialogs::askQuestion(const char* caption, const char* text)
{
    log.push_back(std::string("question ") + caption + ": " + text);
    if (questionAnswers.empty())
        return false;
    bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

void ScriptedDialogs::showInformation(const char* caption, const char* text)
{
    log.push_back(std::string("information ") + caption + ": " + text);
}

bool ScriptedDialogs::askName(void* ownerWindow, char* typed, size_t size)
{
    (void)ownerWindow;
    log.push_back("save as");
    if (typedNames.empty() || typedNames.front() == "<cancel>") {
        if (!typedNames.empty())
            typedNames.pop_front();
        return false;
    }
    std::snprintf(typed, size, "%s", typedNames.front().c_str());
    typedNames.pop_front();
    return true;
}

void ScriptedDialogs::openPage(const char* url)
{
    log.push_back(std::string("open ") + url);
}

void writePreset(const std::string& path, const char* name, const float values[5], VstInt32 tag)
{
    PresetRecord record = {};
    record.presetTag = tag != 0 ? tag : kUniqueId;
    std::snprintf(record.presetName, sizeof(record.presetName), "%s", name);
    for (int i = 0; i < 5; ++i)
        record.presetValues[i] = values[i];
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(&record, sizeof(record), 1, file);
    std::fclose(file);
}

void makeFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0755);
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

namespace {

struct PngReader {
    const unsigned char* data;
    size_t size;
    size_t at;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length)
{
    PngReader* reader = static_cast<PngReader*>(closure);
    if (reader->at + length > reader->size)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

cairo_surface_t* loadPicture(int id)
{
    const EmbeddedPicture* picture = findEmbeddedPicture(id);
    if (picture == nullptr)
        return nullptr;
    PngReader reader{picture->png, picture->size, 0};
    return cairo_image_surface_create_from_png_stream(readPng, &reader);
}

uint32_t imagePixel(cairo_surface_t* image, int x, int y)
{
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    uint32_t word;
    std::memcpy(&word, data + y * stride + x * 4, 4);
    return word & 0x00FFFFFFu;
}

void EditorTest::SetUp()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    hadDataHome = dataHome != nullptr;
    savedDataHome = hadDataHome ? dataHome : "";
    ASSERT_FALSE(data.path().empty());
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    // No system preset roots (an installed package's bank) unless a test makes them here.
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    hadDataDirs = dataDirs != nullptr;
    savedDataDirs = hadDataDirs ? dataDirs : "";
    ::setenv("XDG_DATA_DIRS", systemData().c_str(), 1);
    savedClock = platform::setClock(&clock);
    savedDialogs = editor::setDialogPresenter(&dialogs);
    savedKnobMode = globalKnobMode;
    InputState::current().reset();
    InputState::current().manualTicks = true;
    ScriptedMenuPresenter::instance().reset();
    host().reset();
    effect = static_cast<CTarvelleVST*>(createEffectInstance(test_support::recordingHostCallback));
    ASSERT_NE(effect, nullptr);
    editor = static_cast<CVSTEditor*>(effect->getEditor());
    ASSERT_NE(editor, nullptr);
}

void EditorTest::TearDown()
{
    if (context != nullptr)
        context->release();
    context = nullptr;
    delete effect;
    effect = nullptr;
    platform::setClock(savedClock);
    editor::setDialogPresenter(savedDialogs);
    globalKnobMode = savedKnobMode;
    InputState::current().reset();
    ScriptedMenuPresenter::instance().reset();
    if (hadDataHome)
        ::setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    if (hadDataDirs)
        ::setenv("XDG_DATA_DIRS", savedDataDirs.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_DIRS");
}

void EditorTest::openEditor()
{
    int parent = 0;
    ASSERT_TRUE(editor->open(&parent));
    context = editor->getToolkitFrame()->createDrawContext();
    editor->getToolkitFrame()->draw(context);
}

void EditorTest::closeEditor()
{
    if (context != nullptr)
        context->release();
    context = nullptr;
    editor->close();
}

void EditorTest::click(CPoint where, int32_t buttons, const std::vector<InputStep>& steps)
{
    ScriptedInput input(steps);
    InputState::current().position = where;
    editor->getToolkitFrame()->mouse(context, where, buttons);
}

void EditorTest::leftClick(CPoint where)
{
    click(where, MouseLeft, {InputStep{where, MouseLeft}, InputStep{where, 0}});
    InputState::current().buttons = 0;
}

void EditorTest::playSine(float peak, int frames)
{
    const size_t n = static_cast<size_t>(frames);
    std::vector<float> left(n), right(n), outLeft(n), outRight(n);
    for (int i = 0; i < frames; ++i)
        left[size_t(i)] = right[size_t(i)] = peak * float(std::sin(2.0 * M_PI * 441.0 * i / 44100.0));
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    effect->getAeffect()->processReplacing(effect->getAeffect(), inputs, outputs, frames);
}

uint32_t EditorTest::pixel(int32_t x, int32_t y) const
{
    return CairoFrame::of(editor->getToolkitFrame())->pixel(x, y);
}

std::string EditorTest::presetRoot() const
{
    return data.path() + "/Tarvelle/Plug-In Settings/Orvanne/";
}

} // namespace editor_test
