#include "imaging/JPEGFilt.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
// jerror.h after jpeglib.h
#include <jerror.h>

namespace {

// The error manager: the error exit returns through the job's jump buffer with the message code;
// messages are neither formatted nor shown. A warning that means the library made up picture data
// (the data ended early, a marker cut a segment short, lost data was skipped, a code was not in its
// table, a scan came out of order) is an error too; other warnings, such as extraneous bytes before
// a marker that ordinary camera files carry, are ignored.
struct JpegErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorMgr*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

bool InventsData(int code) {
    switch (code) {
    case JWRN_HIT_MARKER:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

void JpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && InventsData(cinfo->err->msg_code))
        cinfo->err->error_exit(cinfo);
}
void JpegOutputMessage(j_common_ptr) {}
void JpegFormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = 0;
}
void JpegResetErrorMgr(j_common_ptr cinfo) {
    cinfo->err->msg_code = 0;
    cinfo->err->num_warnings = 0;
}

void InitErrorMgr(JpegErrorMgr& err) {
    std::memset(&err.pub, 0, sizeof(err.pub));
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;
    err.pub.output_message = JpegOutputMessage;
    err.pub.format_message = JpegFormatMessage;
    err.pub.reset_error_mgr = JpegResetErrorMgr;
    err.code = 0;
}

[[noreturn]] void Failed(int code) {
    throw EInvalidGraphic(QStringLiteral("Unrecognized JPeg - ") + QString::asprintf("JPEG error #%d", code));
}

// The data source: the bytes of the file held in memory. Asking for more than the file holds is an
// error, so that a file that ends early never decodes into a part-grey picture.
struct JpegSource {
    jpeg_source_mgr pub;
    const std::uint8_t* data;
    std::size_t size;
};

void SourceInit(j_decompress_ptr) {}

boolean SourceFill(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    if (std::size_t(count) > cinfo->src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    cinfo->src->next_input_byte += count;
    cinfo->src->bytes_in_buffer -= std::size_t(count);
}

void SourceTerm(j_decompress_ptr) {}

// Everything a read needs across the library's jump: plain pointers and values only.
struct JpegReadJob {
    jpeg_decompress_struct cinfo;
    JpegErrorMgr err;
    JpegSource src;
    TBitmap* result;
    TProgressRec* progress;
    int dctMethod;
    // results
    int gray; // -1 unchanged
    int densityUnit;
    int densityX, densityY;
    bool progressive;
};

J_DCT_METHOD DctOf(int method) {
    switch (method) {
    case 1:
        return JDCT_IFAST;
    case 2:
        return JDCT_FLOAT;
    default:
        return JDCT_ISLOW;
    }
}

// Refuses, before anything large is allocated, a picture larger than the limits or than its scan
// data can hold. Every block of the first scan takes at least one bit of data (its DC code), and a
// first scan must carry DC values; whole-picture buffers of progressive files are bounded by the
// library's memory limit. Arithmetic coding, which can code a block in far less than a bit, is not
// read.
void CheckDeclaredSize(jpeg_decompress_struct& cinfo, std::size_t dataBytes) {
    if (!ImageLimits::PixelsWithinLimit(cinfo.image_width, cinfo.image_height))
        ERREXIT1(&cinfo, JERR_IMAGE_TOO_BIG, unsigned(ImageLimits::MaxPixels));
    if (cinfo.arith_code)
        ERREXIT(&cinfo, JERR_ARITH_NOTIMPL);
    if (cinfo.Ss != 0)
        ERREXIT(&cinfo, JERR_BAD_PROGRESSION);
    std::uint64_t blocks = 0;
    for (int i = 0; i < cinfo.comps_in_scan; ++i)
        blocks +=
            std::uint64_t(cinfo.cur_comp_info[i]->width_in_blocks) * cinfo.cur_comp_info[i]->height_in_blocks;
    if (blocks / 8 > dataBytes)
        ERREXIT(&cinfo, JERR_INPUT_EOF);
    cinfo.mem->max_memory_to_use = long(ImageLimits::MaxImageBytes);
}

bool RunRead(JpegReadJob& job) {
    if (setjmp(job.err.jump))
        return false;
    jpeg_decompress_struct& cinfo = job.cinfo;
    jpeg_create_decompress(&cinfo);
    cinfo.src = &job.src.pub;
    jpeg_read_header(&cinfo, TRUE);
    CheckDeclaredSize(cinfo, job.src.pub.bytes_in_buffer);
    if (cinfo.out_color_space == JCS_GRAYSCALE)
        job.gray = 1;
    else if (cinfo.out_color_space == JCS_RGB)
        job.gray = 0;
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.dct_method = DctOf(job.dctMethod);
    job.densityUnit = cinfo.saw_JFIF_marker ? cinfo.density_unit : 0;
    job.densityX = cinfo.X_density;
    job.densityY = cinfo.Y_density;
    job.progressive = cinfo.progressive_mode != 0;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3)
        ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    // The library writes every row whole before the picture is used (a file cut short or a damaged
    // scan is an error), so the pixels are not zeroed first.
    TBitmap& bmp = *job.result;
    bmp = TBitmap::Unfilled(int(cinfo.output_width), int(cinfo.output_height), pf24bit);
    SetProgressRows(*job.progress, cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = bmp.ScanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
        ReportRows(*job.progress, cinfo.output_scanline);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

int DensityToDpi(int unit, int density, int current) {
    switch (unit) {
    case 1:
        return density > 0 ? density : ScreenPixelsPerInch();
    case 2:
        return density > 0 ? int(density * 2.54) : ScreenPixelsPerInch();
    case 0:
        return ScreenPixelsPerInch();
    default:
        return current;
    }
}

} // namespace

void ReadJPEG(ByteReader& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    TBitmap result;
    JpegReadJob job;
    std::memset(&job.cinfo, 0, sizeof(job.cinfo));
    InitErrorMgr(job.err);
    job.cinfo.err = &job.err.pub;
    std::memset(&job.src.pub, 0, sizeof(job.src.pub));
    job.src.data = stream.Data() + stream.Position();
    job.src.size = stream.Remaining();
    job.src.pub.next_input_byte = job.src.data;
    job.src.pub.bytes_in_buffer = job.src.size;
    job.src.pub.init_source = SourceInit;
    job.src.pub.fill_input_buffer = SourceFill;
    job.src.pub.skip_input_data = SourceSkip;
    job.src.pub.resync_to_restart = jpeg_resync_to_restart;
    job.src.pub.term_source = SourceTerm;
    job.result = &result;
    job.progress = &progress;
    job.dctMethod = params.JpegDctMethod;
    job.gray = -1;
    job.densityUnit = 0;
    job.densityX = job.densityY = 0;
    job.progressive = false;
    bool ok = false;
    try {
        ok = RunRead(job);
    } catch (...) {
        jpeg_destroy_decompress(&job.cinfo);
        throw;
    }
    const std::size_t consumed = job.src.size - job.src.pub.bytes_in_buffer;
    jpeg_destroy_decompress(&job.cinfo);
    if (!ok)
        Failed(job.err.code);

    stream.Skip(consumed);
    if (job.gray >= 0)
        params.JpegGray = std::uint8_t(job.gray);
    params.DpiX = DensityToDpi(job.densityUnit, job.densityX, params.DpiX);
    params.DpiY = DensityToDpi(job.densityUnit, job.densityY, params.DpiY);
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
    params.ColorMap.clear();
    params.JpegProgressive = job.progressive;
    params.Width = result.Width();
    params.Height = result.Height();
    bitmap = std::move(result);
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

// The destination: a buffer that is appended to the output stream whenever it fills.
struct JpegDest {
    jpeg_destination_mgr pub;
    ByteWriter* out;
    std::uint8_t* buffer;
    std::size_t size;
};

bool Append(JpegDest* dest, std::size_t count) {
    try {
        dest->out->WriteBytes(dest->buffer, count);
        return true;
    } catch (...) {
        return false;
    }
}

void DestInit(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDest*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
}

boolean DestEmpty(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDest*>(cinfo->dest);
    if (!Append(dest, dest->size))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->size;
    return TRUE;
}

void DestTerm(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDest*>(cinfo->dest);
    if (!Append(dest, dest->size - dest->pub.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    JpegErrorMgr err;
    JpegDest dest;
    const TBitmap* source;
    std::uint8_t* greyRow;
    const TIOParamsVals* params;
    TProgressRec* progress;
};

bool RunWrite(JpegWriteJob& job) {
    if (setjmp(job.err.jump))
        return false;
    jpeg_compress_struct& cinfo = job.cinfo;
    const TIOParamsVals& p = *job.params;
    const TBitmap& src = *job.source;
    const bool gray = p.JpegGray == 1;
    jpeg_create_compress(&cinfo);
    cinfo.dest = &job.dest.pub;
    cinfo.image_width = JDIMENSION(src.Width());
    cinfo.image_height = JDIMENSION(src.Height());
    cinfo.input_components = gray ? 1 : 3;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    cinfo.density_unit = 1;
    cinfo.X_density = UINT16(std::clamp(p.DpiX, 0, 65535));
    cinfo.Y_density = UINT16(std::clamp(p.DpiY, 0, 65535));
    cinfo.dct_method = DctOf(p.JpegDctMethod);
    cinfo.optimize_coding = p.JpegOptimizeCoding ? TRUE : FALSE;
    cinfo.smoothing_factor = std::clamp(p.JpegSmoothing, 0, 100);
    jpeg_set_quality(&cinfo, std::clamp(p.JpegQuality, 0, 100), TRUE);
    if (p.JpegProgressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    SetProgressRows(*job.progress, src.Height());
    const int width = src.Width();
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* line = src.ScanLine(int(cinfo.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(line);
        if (gray) {
            for (int x = 0; x < width; ++x)
                job.greyRow[x] =
                    std::uint8_t((30 * line[3 * x + 2] + 59 * line[3 * x + 1] + 11 * line[3 * x]) / 100);
            row = job.greyRow;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
        ReportRows(*job.progress, cinfo.next_scanline);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

} // namespace

void WriteJPEG(ByteWriter& stream, TBitmap& bitmap, TIOParamsVals& params, TProgressRec& progress) {
    TBitmap temp;
    const TBitmap* source = &As24Bit(bitmap, temp);
    std::vector<std::uint8_t> greyRow(std::size_t(std::max(1, source->Width())));
    std::vector<std::uint8_t> buffer(65536);
    JpegWriteJob job;
    std::memset(&job.cinfo, 0, sizeof(job.cinfo));
    InitErrorMgr(job.err);
    job.cinfo.err = &job.err.pub;
    std::memset(&job.dest.pub, 0, sizeof(job.dest.pub));
    job.dest.pub.init_destination = DestInit;
    job.dest.pub.empty_output_buffer = DestEmpty;
    job.dest.pub.term_destination = DestTerm;
    job.dest.out = &stream;
    job.dest.buffer = buffer.data();
    job.dest.size = buffer.size();
    job.source = source;
    job.greyRow = greyRow.data();
    job.params = &params;
    job.progress = &progress;
    bool ok = false;
    try {
        ok = RunWrite(job);
    } catch (...) {
        jpeg_destroy_compress(&job.cinfo);
        throw;
    }
    jpeg_destroy_compress(&job.cinfo);
    if (!ok)
        Failed(job.err.code);
}
