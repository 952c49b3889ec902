// Decodes the barcode in a PNG with ZXing-cpp, an independent reader for the
// end-to-end tests. Prints "FORMAT TEXT" for the first symbol found (an EAN
// add-on, with --ean-addon, is part of its main symbol's text); exits 0 when a
// symbol was read, 1 when none, 2 when the image cannot be read.
//
//   zxing_read [--ean-addon] FILE.png

#include <png.h>

#define ZX_USE_UTF8 1  // Result::text() as UTF-8 std::string
#include <ZXing/ReadBarcode.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    bool eanAddOn = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ean-addon") == 0)
            eanAddOn = true;
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: zxing_read [--ean-addon] FILE.png\n");
        return 2;
    }

    // libpng's simplified reader converts any PNG to 8-bit luminance.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        std::fprintf(stderr, "zxing_read: %s: %s\n", path, image.message);
        return 2;
    }
    image.format = PNG_FORMAT_GRAY;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "zxing_read: %s: %s\n", path, image.message);
        return 2;
    }

    const ZXing::ImageView view(pixels.data(), int(image.width), int(image.height), ZXing::ImageFormat::Lum);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true).setTryRotate(true).setMaxNumberOfSymbols(1);  // 1.4 asserts when it merges several
    if (eanAddOn) hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);

    int found = 0;
    for (const auto& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid()) continue;
        std::printf("%s %s\n", ZXing::ToString(result.format()), result.text().c_str());
        ++found;
    }
    return found > 0 ? 0 : 1;
}
