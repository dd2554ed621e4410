// Text decoding: any bytes decode without harm, and any lines read back as they were saved, in
// every encoding a list can be saved in.

#include "core/textfile.h"
#include "fuzz/fuzz_support.h"

using namespace quorvel;
using namespace quorvel::fuzz;

namespace {

const TextEncoding kEncodings[] = {TextEncoding::Ansi, TextEncoding::Utf8, TextEncoding::Utf8Bom,
                                   TextEncoding::Utf16LE, TextEncoding::Utf16BE};

void CheckRoundTrip(const QStringList& lines, TextEncoding encoding) {
    TextEncoding used = encoding;
    const QByteArray bytes = EncodeText(lines, encoding, &used);
    const TextFile back = DecodeText(bytes);
    Check(back.lines == lines, "a saved text reads back as saved", back.lines.join(u'|'),
          lines.join(u'|'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    if (size == 0)
        return 0;
    // Whatever a file holds: decoded, saved again in the encoding found, read back the same.
    const TextFile decoded = DecodeText(Bytes(data, size));
    CheckRoundTrip(decoded.lines, decoded.encoding);

    // Lines of any text, saved in the encoding the first byte picks.
    const QStringList lines = Lines(Text(data + 1, size - 1));
    CheckRoundTrip(lines, kEncodings[data[0] % 5]);
    return 0;
}
