// The artwork generator: every picture the editor loads, at the size and frame geometry the
// layout needs, opaque, identical from run to run, and seamless on the panel.
#include "CommandRun.h"
#include "TempTree.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Expected {
    int id, width, height;
};

const Expected kPictures[] = {
    {10001, 923, 278}, {10002, 923, 278}, {10010, 100, 10100}, {10011, 66, 330},   {10200, 31, 88},  {10201, 35, 70},
    {10300, 19, 36},   {10301, 19, 36},   {10302, 171, 16},    {30000, 101, 5151}, {30001, 29, 127}, {30002, 29, 127},
    {30003, 29, 127},  {30004, 29, 127},  {30005, 30, 48},     {30006, 30, 48},
};

bool generate(const std::string& folder)
{
    // Font and cache memory that the libraries keep until exit is not a leak of ours.
    const test_support::ToolRun run = test_support::runCommand({ORVANNE_ARTWORK_PROGRAM, "--bmp", folder},
                                                               {{"ASAN_OPTIONS", "detect_leaks=0"}});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0;
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Surface {
    cairo_surface_t* s;
    explicit Surface(const std::string& path) : s(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Surface() { cairo_surface_destroy(s); }
    bool ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(s); }
    int height() const { return cairo_image_surface_get_height(s); }
    uint32_t pixel(int x, int y) const
    {
        uint32_t p;
        std::memcpy(&p, cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4, 4);
        return p & 0xffffff;
    }
};

class ArtworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempTree;
        generated_ = !folder_->path().empty() && generate(folder_->path());
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(generated_); }
    static std::string file(int id, const char* extension)
    {
        return folder_->path() + "/" + std::to_string(id) + extension;
    }

    static TempTree* folder_;
    static bool generated_;
};

TempTree* ArtworkTest::folder_ = nullptr;
bool ArtworkTest::generated_ = false;

TEST_F(ArtworkTest, EveryPictureHasItsSizeAndIsOpaqueRgb)
{
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.id);
        Surface png(file(e.id, ".png"));
        ASSERT_TRUE(png.ok());
        EXPECT_EQ(png.width(), e.width);
        EXPECT_EQ(png.height(), e.height);
        // A PNG without an alpha channel reads back as RGB24.
        EXPECT_EQ(cairo_image_surface_get_format(png.s), CAIRO_FORMAT_RGB24);

        // The BMP twin: 24-bit, uncompressed, same size, bottom-up rows padded to 4 bytes.
        const std::vector<unsigned char> bmp = readBytes(file(e.id, ".bmp"));
        ASSERT_GE(bmp.size(), 54u);
        auto le32 = [&](size_t at) {
            return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 |
                uint32_t(bmp[at + 3]) << 24;
        };
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[28], 24);
        EXPECT_EQ(le32(30), 0u);
        EXPECT_EQ(le32(18), uint32_t(e.width));
        EXPECT_EQ(le32(22), uint32_t(e.height));
        const size_t row = (size_t(e.width) * 3 + 3) & ~size_t(3);
        ASSERT_EQ(bmp.size(), 54 + row * size_t(e.height));
        // Same pixel in both forms: the top-left pixel is the BMP's last row.
        const size_t at = 54 + row * size_t(e.height - 1);
        const uint32_t fromBmp = uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16;
        EXPECT_EQ(fromBmp, png.pixel(0, 0));
    }
}

TEST_F(ArtworkTest, SecondRunWritesTheSameFiles)
{
    TempTree again;
    ASSERT_TRUE(generate(again.path()));
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.id);
        EXPECT_EQ(readBytes(file(e.id, ".png")), readBytes(again.path() + "/" + std::to_string(e.id) + ".png"));
        EXPECT_EQ(readBytes(file(e.id, ".bmp")), readBytes(again.path() + "/" + std::to_string(e.id) + ".bmp"));
    }
}

// Control pictures are drawn on a copy of the panel under them: the corners of every frame,
// where no part of the control reaches, equal the background there, so no seam shows.
TEST_F(ArtworkTest, ControlFramesMatchThePanelAtTheirCorners)
{
    struct Placement {
        int id, x, y, frameHeight;
    };
    const Placement placements[] = {
        {10010, 106, 81, 100}, {10010, 716, 81, 100}, {10011, 255, 105, 66},
        {10200, 629, 136, 44}, {30000, 412, 83, 51},  {30001, 350, 58, 127},
        {30002, 350, 58, 127}, {30003, 546, 58, 127}, {30004, 546, 58, 127},
    };
    Surface background(file(10001, ".png"));
    ASSERT_TRUE(background.ok());
    for (const Placement& p : placements) {
        SCOPED_TRACE(p.id);
        Surface strip(file(p.id, ".png"));
        ASSERT_TRUE(strip.ok());
        const int w = strip.width(), frames = strip.height() / p.frameHeight;
        for (int f = 0; f < frames; ++f) {
            const int top = f * p.frameHeight;
            EXPECT_EQ(strip.pixel(0, top), background.pixel(p.x, p.y));
            EXPECT_EQ(strip.pixel(w - 1, top), background.pixel(p.x + w - 1, p.y));
            EXPECT_EQ(strip.pixel(0, top + p.frameHeight - 1), background.pixel(p.x, p.y + p.frameHeight - 1));
            EXPECT_EQ(strip.pixel(w - 1, top + p.frameHeight - 1),
                      background.pixel(p.x + w - 1, p.y + p.frameHeight - 1));
        }
    }
}

TEST_F(ArtworkTest, RefusesAMissingOutputFolder)
{
    EXPECT_NE(test_support::runCommand({ORVANNE_ARTWORK_PROGRAM, "/nonexistent/orvanne-artwork"}).status, 0);
}

} // namespace
