// TGA and JPEG readers: pixel order, row order, run-length packets, refused kinds, bad files.
#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/support/test_paths.h"

using namespace Tamrik;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;

namespace {

std::string TgaHeader(int type, int width, int height, int bits, int descriptor = 0)
{
    std::string h(18, '\0');
    h[2] = static_cast<char>(type);
    h[12] = static_cast<char>(width & 255);
    h[13] = static_cast<char>(width >> 8);
    h[14] = static_cast<char>(height & 255);
    h[15] = static_cast<char>(height >> 8);
    h[16] = static_cast<char>(bits);
    h[17] = static_cast<char>(descriptor);
    return h;
}

std::vector<uint8_t> Pixels(const Image& image)
{
    const int bytes = image.format == IMAGE_RGB ? 3 : 4;
    return std::vector<uint8_t>(image.pixels, image.pixels + image.width * image.height * bytes);
}

struct ImageHolder : Image {
    ~ImageHolder() { delete[] pixels; }
};

// rows: top row first, RGB or grey bytes.
void WriteJpeg(const std::string& path, int width, int height, int components,
               const std::vector<uint8_t>& rows)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&rows[info.next_scanline * width * components]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

} // namespace

TEST(LoadTGA, UncompressedPixelsHaveRedAndBlueExchanged)
{
    ScratchDir scratch;
    WriteFile("a.tga", TgaHeader(2, 2, 1, 24) + "\x01\x02\x03\x04\x05\x06");
    ImageHolder image;
    ASSERT_TRUE(LoadTGA(&image, "a.tga"));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.format, IMAGE_RGB);
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(LoadTGA, ThirtyTwoBitsKeepAlphaFourthAndRowsStayInFileOrder)
{
    ScratchDir scratch;
    // Descriptor 0x28: top-left origin and 8 alpha bits; the rows still come in file order.
    WriteFile("a.tga", TgaHeader(2, 1, 2, 32, 0x28) + "\x01\x02\x03\x04\x05\x06\x07\x08");
    ImageHolder image;
    ASSERT_TRUE(LoadTGA(&image, "a.tga"));
    EXPECT_EQ(image.format, IMAGE_RGBA);
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(LoadTGA, RunLengthPacketsRunAcrossRowEnds)
{
    ScratchDir scratch;
    // 2 x 2: a raw packet of three pixels ends inside row 1, then a run of one.
    WriteFile("a.tga", TgaHeader(10, 2, 2, 24) + std::string("\x02\x01\x02\x03\x04\x05\x06\x07\x08\x09\x80\x0a\x0b\x0c", 14));
    ImageHolder image;
    ASSERT_TRUE(LoadTGA(&image, "a.tga"));
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

    // 4 x 1: raw packet of two, then a run of two.
    WriteFile("b.tga", TgaHeader(10, 4, 1, 24) + "\x01\x01\x02\x03\x04\x05\x06\x81\x07\x08\x09");
    ImageHolder runs;
    ASSERT_TRUE(LoadTGA(&runs, "b.tga"));
    EXPECT_EQ(Pixels(runs), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 9, 8, 7}));
}

TEST(LoadTGA, LongestPacketsHold128Pixels)
{
    ScratchDir scratch;
    std::string raw = TgaHeader(10, 256, 1, 32) + "\xff\x01\x02\x03\x04" + "\x7f";
    for (int i = 0; i < 128; ++i)
        raw += std::string{char(i), 0, 0, char(0x40)};
    WriteFile("a.tga", raw);
    ImageHolder image;
    ASSERT_TRUE(LoadTGA(&image, "a.tga"));
    const std::vector<uint8_t> p = Pixels(image);
    EXPECT_EQ(p[127 * 4 + 0], 3);
    EXPECT_EQ(p[127 * 4 + 3], 4);
    EXPECT_EQ(p[128 * 4 + 2], 0);
    EXPECT_EQ(p[255 * 4 + 2], 127);
}

TEST(LoadTGA, RunLengthPacketsAcrossTheReadBlocksDecodeInFull)
{
    ScratchDir scratch;
    // 256 x 80 pixels in raw packets of 128 and runs, about 90 KB: packets straddle the blocks.
    const int width = 256, height = 80;
    std::string file = TgaHeader(10, width, height, 32);
    std::vector<uint8_t> expected;
    for (int packet = 0; packet < width * height / 128; ++packet) {
        if (packet % 5 == 4) {
            file += std::string{char(0xff), char(packet), char(packet >> 8), char(1), char(2)};
            for (int k = 0; k < 128; ++k)
                expected.insert(expected.end(), {1, uint8_t(packet >> 8), uint8_t(packet), 2});
            continue;
        }
        file += '\x7f';
        for (int k = 0; k < 128; ++k) {
            file += std::string{char(k), char(packet), char(packet >> 8), char(k ^ packet)};
            expected.insert(expected.end(), {uint8_t(packet >> 8), uint8_t(packet), uint8_t(k), uint8_t(k ^ packet)});
        }
    }
    WriteFile("a.tga", file);
    ImageHolder image;
    ASSERT_TRUE(LoadTGA(&image, "a.tga"));
    EXPECT_EQ(Pixels(image), expected);
    // One byte short of the last pixel fails.
    WriteFile("b.tga", file.substr(0, file.size() - 1));
    ImageHolder cut;
    EXPECT_FALSE(LoadTGA(&cut, "b.tga"));
    EXPECT_EQ(cut.pixels, nullptr);
}

TEST(LoadTGA, APacketRunningPastTheLastPixelFails)
{
    ScratchDir scratch;
    WriteFile("a.tga", TgaHeader(10, 2, 1, 24) + "\x82\x01\x02\x03");
    ImageHolder image;
    EXPECT_FALSE(LoadTGA(&image, "a.tga"));
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(LoadTGA, KindsOtherThanTrueColourTwentyFourOrThirtyTwoBitsAreRefused)
{
    ScratchDir scratch;
    std::string withId = TgaHeader(2, 1, 1, 24);
    withId[0] = 1;
    std::string withOrigin = TgaHeader(2, 1, 1, 24);
    withOrigin[8] = 1;
    const std::string files[] = {
        TgaHeader(2, 1, 1, 16) + "\x01\x02",
        TgaHeader(2, 1, 1, 8) + "\x01",
        TgaHeader(1, 1, 1, 24) + "\x01\x02\x03",
        TgaHeader(3, 1, 1, 24) + "\x01\x02\x03",
        withId + "\x00\x01\x02\x03",
        withOrigin + "\x01\x02\x03",
        TgaHeader(2, 0, 1, 24),
        TgaHeader(2, 1, 1, 24).substr(0, 15),
        TgaHeader(2, 2, 2, 24) + "\x01\x02\x03",    // ends before its last pixel
        TgaHeader(10, 2, 2, 24) + "\x81\x01\x02\x03", // run-length data that stops short
        TgaHeader(2, 65535, 65535, 32) + "\x01",     // a huge picture in a tiny file
        "",
    };
    for (const std::string& bytes : files) {
        WriteFile("bad.tga", bytes);
        ImageHolder image;
        EXPECT_FALSE(LoadTGA(&image, "bad.tga")) << bytes.size();
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(LoadTGA, AMissingFileLeavesTheImageUntouched)
{
    ImageHolder image;
    image.width = 7;
    EXPECT_FALSE(LoadTGA(&image, "no/such/file.tga"));
    EXPECT_EQ(image.width, 7);
}

TEST(LoadJPEG, ColourPicturesDecodeTopRowFirst)
{
    ScratchDir scratch;
    std::vector<uint8_t> rows;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            rows.push_back(y < 8 ? 250 : 5);
            rows.push_back(5);
            rows.push_back(y < 8 ? 5 : 250);
        }
    WriteJpeg("a.jpg", 8, 16, 3, rows);
    ImageHolder image;
    ASSERT_TRUE(LoadJPEG(&image, "a.jpg"));
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.height, 16);
    EXPECT_EQ(image.format, IMAGE_RGB);
    const std::vector<uint8_t> p = Pixels(image);
    EXPECT_GT(p[0], 200);            // top row red
    EXPECT_LT(p[2], 50);
    EXPECT_LT(p[15 * 8 * 3], 50);     // bottom row blue
    EXPECT_GT(p[15 * 8 * 3 + 2], 200);
}

TEST(LoadJPEG, GreyPicturesAreExpandedToRgb)
{
    ScratchDir scratch;
    std::vector<uint8_t> rows(8 * 8, 100);
    WriteJpeg("g.jpg", 8, 8, 1, rows);
    ImageHolder image;
    ASSERT_TRUE(LoadJPEG(&image, "g.jpg"));
    EXPECT_EQ(image.format, IMAGE_RGB);
    const std::vector<uint8_t> p = Pixels(image);
    ASSERT_EQ(p.size(), 8u * 8u * 3u);
    EXPECT_NEAR(p[0], 100, 2);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}

TEST(LoadJPEG, UndecodableFilesFailWithTheImageCleared)
{
    ScratchDir scratch;
    std::vector<uint8_t> rows(16 * 16 * 3, 128);
    WriteJpeg("good.jpg", 16, 16, 3, rows);
    const std::string good = kestrova_test::ReadFile("good.jpg");
    std::string corrupt = good;
    for (size_t i = 20; i < corrupt.size() && i < 200; ++i)
        corrupt[i] = static_cast<char>(0xff);
    const std::string files[] = {"not a jpeg at all", good.substr(0, 10), corrupt, ""};
    for (const std::string& bytes : files) {
        WriteFile("bad.jpg", bytes);
        ImageHolder image;
        image.width = 5;
        image.format = 1;
        EXPECT_FALSE(LoadJPEG(&image, "bad.jpg"));
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_EQ(image.format, 0);
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST(LoadJPEG, AFileThatEndsEarlyStillDecodes)
{
    ScratchDir scratch;
    std::vector<uint8_t> rows(64 * 64 * 3);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<uint8_t>(i * 7919 % 251);
    WriteJpeg("good.jpg", 64, 64, 3, rows);
    const std::string good = kestrova_test::ReadFile("good.jpg");
    ASSERT_GT(good.size(), 4000u); // mostly scan data, so the cut lands inside it
    WriteFile("cut.jpg", good.substr(0, good.size() * 3 / 4));
    ImageHolder image;
    EXPECT_TRUE(LoadJPEG(&image, "cut.jpg"));
    EXPECT_EQ(image.width, 64);
}

// One limit on either side for both readers: MAX_IMAGE_SIDE.
TEST(ImageReaders, WidthAndHeightUpToTheTextureLimitLoadAndBeyondItFail)
{
    ScratchDir scratch;
    const int limit = MAX_IMAGE_SIDE;
    std::string runs;
    for (int i = 0; i < limit / 128; ++i)
        runs += "\xff\x01\x02\x03";
    WriteFile("wide.tga", TgaHeader(10, limit, 1, 24) + runs);
    ImageHolder wide;
    EXPECT_TRUE(LoadTGA(&wide, "wide.tga"));
    WriteFile("wider.tga", TgaHeader(2, limit + 1, 1, 24) + std::string(size_t(limit + 1) * 3, '\x01'));
    ImageHolder wider;
    EXPECT_FALSE(LoadTGA(&wider, "wider.tga"));
    EXPECT_EQ(wider.pixels, nullptr);
    WriteFile("taller.tga", TgaHeader(2, 1, limit + 1, 24) + std::string(size_t(limit + 1) * 3, '\x01'));
    ImageHolder taller;
    EXPECT_FALSE(LoadTGA(&taller, "taller.tga"));

    // A picture of more than 2^24 pixels loads; one a pixel wider than the limit does not.
    WriteJpeg("big.jpg", 4097, 4096, 1, std::vector<uint8_t>(size_t(4097) * 4096, 90));
    ImageHolder big;
    ASSERT_TRUE(LoadJPEG(&big, "big.jpg"));
    EXPECT_EQ(big.width, 4097);
    EXPECT_EQ(big.height, 4096);
    EXPECT_NEAR(big.pixels[(size_t(4097) * 4096 - 1) * 3], 90, 2);
    WriteJpeg("long.jpg", limit + 1, 8, 1, std::vector<uint8_t>(size_t(limit + 1) * 8, 90));
    ImageHolder tooLong;
    EXPECT_FALSE(LoadJPEG(&tooLong, "long.jpg"));
    EXPECT_EQ(tooLong.width, 0);
    EXPECT_EQ(tooLong.pixels, nullptr);
    WriteJpeg("long.jpg", limit, 8, 1, std::vector<uint8_t>(size_t(limit) * 8, 90));
    ImageHolder atLimit;
    EXPECT_TRUE(LoadJPEG(&atLimit, "long.jpg"));
}

TEST(LoadJPEG, AMissingFileFailsWithTheImageCleared)
{
    ImageHolder image;
    image.height = 3;
    EXPECT_FALSE(LoadJPEG(&image, "no/such/file.jpg"));
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixels, nullptr);
}
