#pragma once
// The bitmap of the image library: one buffer of pixel rows, stored top-down, each row padded to
// 4 bytes as in a device-independent bitmap. 24-bit rows hold blue, green, red bytes; 1-bit rows
// hold the leftmost pixel in the most significant bit. A QImage may wrap the buffer for painting
// (WrapQImage) without copying it; the bitmap always owns its pixels.

#include "imaging/ImageLimits.h"
#include "platform/Errors.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <vector>

// The three-byte colour of the image library: blue, green, red, as in a 24-bit picture row.
struct TBGRColor {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    friend bool operator==(const TBGRColor&, const TBGRColor&) = default;
};
static_assert(sizeof(TBGRColor) == 3);

// The image library's error for bad pictures and impossible bitmap operations; short English texts.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Memory for pixels; a large buffer is marked for huge pages (HugePages).
void* AllocatePixelMemory(std::size_t bytes);
void FreePixelMemory(void* p, std::size_t bytes) noexcept;

// The allocator of pixel buffers: an element added without a value is left as it is instead of
// being zeroed, so that a buffer a reader overwrites whole is written once, not twice. Buffers that
// must start at zero ask for it with a value.
template <class T>
struct TUnfilledAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = TUnfilledAllocator<U>;
    };
    TUnfilledAllocator() = default;
    template <class U>
    TUnfilledAllocator(const TUnfilledAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    T* allocate(std::size_t n) { return static_cast<T*>(AllocatePixelMemory(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreePixelMemory(p, n * sizeof(T)); }
};

// Pixel formats in their fixed order; pfDevice is kept as 32 bits per pixel (the
// depth of the screen) but counts 0 bits where row sizes are derived from the format.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap {
public:
    // Largest pixel buffer a bitmap accepts; anything bigger raises EInvalidGraphic.
    static constexpr std::size_t MaxImageSize = std::size_t(ImageLimits::MaxImageBytes);

    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format);
    // A bitmap like the one above whose pixel bytes are left for the caller to write: for a reader
    // that writes every pixel of every row before the bitmap is used. Only the bytes after each
    // row's last whole byte of pixels (the padding, and a last byte that pixels share with it) are
    // zero. The limits are the same.
    static TBitmap Unfilled(int width, int height, TPixelFormat format);
    // Copies size, format, palette and pixels; the change handler is not copied.
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    // Takes the other bitmap's pixels without copying them; the other is left empty. The change
    // handler stays where it was.
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    ~TBitmap() = default;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Bits per pixel of the stored rows (pfDevice: 32).
    int BitsPerPixel() const;
    // Bytes of one stored row, a multiple of 4.
    int BytesPerLine() const { return FBytesPerLine; }

    // Size changes keep the pixels of the overlapping top-left area; new pixels are zero (black,
    // palette entry 0). A negative size raises EInvalidGraphic.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    // Converts the pixels to the new format (indexed formats take the nearest entry of their
    // palette); a 1-, 4- or 8-bit format gets its default palette when it had none.
    void SetPixelFormat(TPixelFormat format);

    // The colour table of a 1-, 4- or 8-bit bitmap (2, 16 or 256 entries); empty for the other
    // formats. Setting it keeps the pixel indices; a table of another length is cut or padded
    // with black.
    const std::vector<TBGRColor>& Palette() const { return FPalette; }
    void SetPalette(const std::vector<TBGRColor>& palette);
    static std::vector<TBGRColor> DefaultPalette(TPixelFormat format);

    // Row y from the top; a row outside the picture raises EInvalidGraphic.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // The whole pixel buffer: Height() rows of BytesPerLine() bytes, top row first.
    std::uint8_t* Bits() { return FBits.data(); }
    const std::uint8_t* Bits() const { return FBits.data(); }
    std::size_t ImageSize() const { return FBits.size(); }

    // Copies another bitmap's size, format, palette and pixels and fires the change notification.
    void Assign(const TBitmap& source);
    // Sets every byte of the pixel buffer to zero.
    void Clear();

    // The change notification: fired after size, format, palette and Assign, and when Modified
    // is set. Writing pixels through ScanLine fires nothing.
    std::function<void(TBitmap*)> OnChange;
    bool Modified() const { return FModified; }
    void SetModified(bool value);
    void Changed();

    // A QImage over the pixel buffer, valid until the next size or format change; 1 bit is
    // Format_Mono, 8 bits Format_Indexed8, 15 bits Format_RGB555, 16 bits Format_RGB16, 24 bits
    // Format_BGR888, 32 bits Format_RGB32. A 4-bit or empty bitmap gives a null QImage.
    QImage WrapQImage();
    // A deep copy in a Qt format (4 bits expands to Format_Indexed8).
    QImage ToQImage() const;

private:
    using TPixelBuffer = std::vector<std::uint8_t, TUnfilledAllocator<std::uint8_t>>;
    // Makes the buffer for the size and format: zeroed, with the overlapping pixels kept when
    // keepPixels, or left unfilled but for each row's padding when fill is false.
    void Reallocate(int width, int height, TPixelFormat format, bool keepPixels, bool fill = true);
    static int StoredBits(TPixelFormat format);

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    int FBytesPerLine = 0;
    bool FModified = false;
    TPixelBuffer FBits;
    std::vector<TBGRColor> FPalette;
};

// Index of the palette entry with the smallest sum of absolute component differences; the first
// of equal entries wins; 0 for an empty table.
int NearestPaletteIndex(const TBGRColor* table, int count, TBGRColor color);

// Reads pixel x of a row of the given format as a colour (indexed formats through the palette).
TBGRColor ReadPixel(const std::uint8_t* row, int x, TPixelFormat format,
                    const std::vector<TBGRColor>& palette);
// Writes a colour as pixel x of a row (indexed formats take the nearest palette entry).
void WritePixel(std::uint8_t* row, int x, TPixelFormat format, const std::vector<TBGRColor>& palette,
                TBGRColor color);
