#include "online/search_record.h"

#include "core/infotext.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quorvel {

namespace {

constexpr unsigned long long kPixelByteCap = 256ULL * 1024 * 1024;

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void LeaveOnError(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

// Warnings (a cut-off end among them) do not make a picture unreadable.
void IgnoreMessage(j_common_ptr) {}

// Plain C state only between setjmp and longjmp: nothing here has a destructor to skip.
bool DecodeWhole(jpeg_decompress_struct& info, JpegFailure& failure, const QByteArray& bytes,
                 bool& tooLarge) {
    if (setjmp(failure.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);
    const unsigned long long pixelBytes = static_cast<unsigned long long>(info.output_width) *
                                          info.output_height *
                                          static_cast<unsigned>(info.out_color_components);
    if (pixelBytes > kPixelByteCap) {
        tooLarge = true;
        return false;
    }
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
        info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QStringList SearchedInfoText(const OmdbAnswer& answer) {
    return ComposeInfoText(answer.title(), answer.infoValues());
}

Status CheckJpegPoster(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return Failure(QStringLiteral("The poster is empty."));
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = LeaveOnError;
    failure.manager.output_message = IgnoreMessage;
    bool tooLarge = false;
    const bool decoded = DecodeWhole(info, failure, bytes, tooLarge);
    jpeg_destroy_decompress(&info);
    if (decoded)
        return Success();
    const QString reason = tooLarge ? QStringLiteral("it is larger than 256 MiB once decoded")
                                    : QString::fromLocal8Bit(failure.message);
    return Failure(QStringLiteral("The poster is not a JPEG picture: ") + reason);
}

} // namespace quorvel
