// The plug-in as a host first meets it: entry point, effect record, identity answers and
// the canDo table, loaded through the host library exactly as a host loads it.
#include "InterfaceSupport.h"

#include <cstring>

using iface::loadPlugin;
using vsthost::PluginHost;

TEST(EntryPoint, AnswersAWellFormedRecord)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const AEffect* e = host->effect();
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_NE(e->dispatcher, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_NE(e->setParameter, nullptr);
    EXPECT_NE(e->getParameter, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    for (char c : e->future)
        EXPECT_EQ(c, 0);
}

TEST(EntryPoint, IdentityAndFlags)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const AEffect* e = host->effect();
    EXPECT_EQ(e->numParams, 5);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    // Has an editor, can mono, replacing, program chunks.
    EXPECT_EQ(e->flags, 0x39);
    EXPECT_EQ(e->uniqueID, 0x4F72766E);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->initialDelay, 220);
}

TEST(EntryPoint, HostVersionZeroGetsNoEffect)
{
    std::string error;
    auto host = PluginHost::load(iface::pluginPath(), error, 0);
    EXPECT_FALSE(host);
    EXPECT_NE(error.find("entry point answered null"), std::string::npos) << error;
}

TEST(EntryPoint, OlderHostVersionIsServed)
{
    auto host = loadPlugin(2300);
    ASSERT_TRUE(host);
    EXPECT_EQ(host->effect()->numParams, 5);
    EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
}

TEST(EntryPoint, ConstructionReportsTheFactorySetting)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const vsthost::HostRecord& r = host->record();
    // Recalling the factory setting reports every parameter once, then refreshes the display.
    ASSERT_EQ(r.automation.size(), 5u);
    const float expected[5] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(r.automation[static_cast<size_t>(i)].index, i);
        EXPECT_EQ(r.automation[static_cast<size_t>(i)].value, expected[i]) << "parameter " << i;
    }
    EXPECT_EQ(r.updateDisplayCount, 1);
    EXPECT_EQ(r.getTimeCount, 1);
    EXPECT_TRUE(r.edits.empty());
}

TEST(EntryPoint, InstancesAreIndependent)
{
    auto first = loadPlugin();
    auto second = loadPlugin();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->effect(), second->effect());
    first->setParameter(2, 1.0f);
    first->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(second->parameterDisplay(2), "0.00");
    EXPECT_EQ(second->effect()->initialDelay, 220);
    EXPECT_EQ(first->effect()->initialDelay, 480);
    // Each instance's construction reports went to its own host record.
    EXPECT_EQ(first->record().automation.size(), 5u);
    EXPECT_EQ(second->record().automation.size(), 5u);
}

TEST(EntryPoint, CloseAnswersOne)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    EXPECT_EQ(host->dispatch(effClose), 1);
    EXPECT_TRUE(host->isClosed());
}

TEST(Dispatcher, InitialDelayFollowsTheSampleRate)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const struct {
        float rate;
        VstInt32 delay;
    } cases[] = {{48000.0f, 240}, {22050.0f, 220}, {96000.0f, 480}, {0.0f, 220}, {88200.0f, 441}, {44100.0f, 220}};
    for (const auto& c : cases) {
        host->dispatch(effSetSampleRate, 0, 0, nullptr, c.rate);
        EXPECT_EQ(host->effect()->initialDelay, c.delay) << "at " << c.rate << " Hz";
    }
}

TEST(Dispatcher, CanDoTable)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const char* yes[] = {"receiveVstTimeInfo", "plugAsChannelInsert", "plugAsSend", "1in1out", "1in2out", "2in2out"};
    const char* no[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                        "receiveVstMidiEvent", "offline", "mixDryWet", "noRealTime", "multipass", "metapass", "2in1out",
                        "2in4out", "4in2out", "4in4out", "4in8out", "8in4out", "8in8out", "midiProgramNames",
                        "conformsToWindowRules", "bypass",
                        // Not in the table, or not the whole string, or another case.
                        "", "PlugAsSend", "2in2out ", "2in2", "receiveVstTimeInfoX", "hasCockosExtensions"};
    for (const char* text : yes)
        EXPECT_EQ(host->canDo(text), 1) << text;
    for (const char* text : no)
        EXPECT_EQ(host->canDo(text), -1) << '"' << text << '"';
}

TEST(Dispatcher, NumericAnswers)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    EXPECT_EQ(host->dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host->dispatch(effGetTailSize), 1);
    EXPECT_EQ(host->dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(host->dispatch(effKeysRequired), 1);
    EXPECT_EQ(host->dispatch(effIdentify), kEffectIdentify);
    EXPECT_EQ(host->dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(host->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host->dispatch(effConnectInput, 0, 1), 1);
    EXPECT_EQ(host->dispatch(effConnectOutput, 1, 1), 1);
    EXPECT_EQ(host->dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    for (VstInt32 i = 0; i < 5; ++i)
        EXPECT_EQ(host->dispatch(effCanBeAutomated, i), 1) << "parameter " << i;
    EXPECT_EQ(host->dispatch(effGetProgram), 0);
    host->dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(host->dispatch(effGetProgram), 0);
    // Opcodes without an answer of their own, and numbers beyond the table.
    const VstInt32 silent[] = {effGetVu,
                               effEditDraw,
                               effProcessEvents,
                               effGetProgramNameIndexed,
                               effSetBypass,
                               effGetErrorText,
                               effVendorSpecific,
                               effIdle,
                               effGetParameterProperties,
                               effStartProcess,
                               effStopProcess,
                               effBeginSetProgram,
                               effEndSetProgram,
                               effSetProcessPrecision,
                               effGetNumMidiInputChannels,
                               80,
                               1000,
                               -1};
    for (VstInt32 opcode : silent)
        EXPECT_EQ(host->dispatch(opcode), 0) << "opcode " << opcode;
}

TEST(Dispatcher, SpeakerArrangementIsNulled)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    void* input = &host;
    void* output = &host;
    EXPECT_EQ(host->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

// Writes the text of opcode into a buffer full of markers and checks that nothing beyond
// the text and its NUL was touched.
static std::string boundedText(PluginHost& host, VstInt32 opcode, VstInt32 index = 0)
{
    char buffer[256];
    std::memset(buffer, '#', sizeof(buffer));
    host.dispatch(opcode, index, 0, buffer);
    const void* end = std::memchr(buffer, '\0', sizeof(buffer));
    if (end == nullptr) {
        ADD_FAILURE() << "opcode " << opcode << " wrote no terminated text";
        return std::string();
    }
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - buffer);
    for (size_t i = length + 1; i < sizeof(buffer); ++i)
        if (buffer[i] != '#') {
            ADD_FAILURE() << "opcode " << opcode << " index " << index << " wrote past its text at " << i;
            break;
        }
    return std::string(buffer, length);
}

TEST(Dispatcher, IdentityStrings)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    std::string name = boundedText(*host, effGetEffectName);
    std::string vendor = boundedText(*host, effGetVendorString);
    std::string product = boundedText(*host, effGetProductString);
    EXPECT_EQ(name, "Orvanne");
    EXPECT_EQ(vendor, "Tarvelle");
    EXPECT_EQ(product, "Orvanne");
    EXPECT_LT(name.size(), static_cast<size_t>(kVstMaxEffectNameLen));
    EXPECT_LT(vendor.size(), static_cast<size_t>(kVstMaxVendorStrLen));
    EXPECT_LT(product.size(), static_cast<size_t>(kVstMaxProductStrLen));
    char buffer[64] = {};
    EXPECT_EQ(host->dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(host->dispatch(effGetProductString, 0, 0, buffer), 1);
}

TEST(Dispatcher, ParameterTextsStayInTheirBuffers)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const char* names[] = {"Internal Use", "Power", "Input Thres", "Out Ceiling", "Recovery"};
    const char* labels[] = {"", "", "dB", "dB", ""};
    for (VstInt32 i = 0; i < 5; ++i) {
        EXPECT_EQ(boundedText(*host, effGetParamName, i), names[i]);
        EXPECT_EQ(boundedText(*host, effGetParamLabel, i), labels[i]);
        boundedText(*host, effGetParamDisplay, i);
    }
    // Outside 0..4 the text is left as it is.
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (VstInt32 index : {-1, 5, 11, 100000}) {
            char buffer[16] = "untouched";
            host->dispatch(opcode, index, 0, buffer);
            EXPECT_STREQ(buffer, "untouched") << "opcode " << opcode << " index " << index;
        }
}
