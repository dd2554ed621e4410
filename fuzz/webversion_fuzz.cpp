// The update page: any page is read without harm; a version is 7 characters of a line that
// follows a marker; a page made around a version gives it back.

#include "fuzz/fuzz_support.h"
#include "online/update.h"

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QString page = Text(data, size);
    const QString marker = QStringLiteral("<p>***version***</p>");
    if (const std::optional<QString> version = ParseWebVersion(page)) {
        Check(version->size() == 7, "a version has 7 characters", *version);
        Check(page.contains(marker), "a version comes after a marker", *version);
    }

    const QString version = page.left(7);
    if (version.size() == 7 && !version.contains(u'\r') && !version.contains(u'\n')) {
        const QString made = page + "\r\n" + marker + "\r\n<p>" + version + "</p>\r\n";
        Check(ParseWebVersion(made) == version, "the last marker's version is read",
              ParseWebVersion(made).value_or(QStringLiteral("<none>")), version);
    }
    return 0;
}
