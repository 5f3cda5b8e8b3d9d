// libFuzzer target: the GIF reader with a stand-in decoder (and the writers on what it reads).
#include "FuzzLzw.h"
#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The image index from the last byte, so that files of several images are walked past the first.
    const int index = size > 0 ? data[size - 1] % 3 : 0;
    return FuzzPicture(data, size, [index](ByteReader& s, TBitmap& b, TIOParamsVals& p, TProgressRec& r) {
        p.GifImageIndex = index;
        int count = 0;
        // A first walk without the decoder finds the size of the wanted image; the decoder is
        // plugged in only for sizes the target allows.
        TIOParamsVals walk;
        walk.GifImageIndex = index;
        TGifReadStages stages;
        ByteReader first(s.Data(), s.Size());
        try {
            ReadGIF(first, b, count, r, walk, &stages);
        } catch (const EInvalidGraphic&) {
        }
        if (stages.Image && FuzzSizeAllowed(walk.Width, walk.Height))
            p.GifLzwDecoder = FuzzGifDecoder;
        ReadGIF(s, b, count, r, p);
    });
}
