#include "core/options.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>
#include <vector>

namespace quorvel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// A folder name may hold a line break on this platform; written as it is, it would cut the
// value short and smuggle its tail into the file as a key or section of its own.
TEST(OptionsIniValues, AValueHoldingALineBreakIsRefusedAndTheFileStaysAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = OptionsFilePath(dir.path() + "/");
    const QByteArray before = "[Settings]\nSavingPath=/films\n\n\n[HTML]\nSavingPath=/album\n";
    ASSERT_TRUE(WriteFileBytes(path, before));
    OptionsFile file(path);

    // A NUL would cut the value short while the write still said it succeeded.
    const QString values[] = {"/films\n[HTML]\nSavingPath=/etc", "/films\rTheme=0", "a\r\nb",
                              QString("A") + QChar(0) + "B"};
    for (const QString& value : values) {
        SCOPED_TRACE(value.toStdString());
        const Status written = file.writeString(opt::kSettings, opt::kSavingPath, value);
        EXPECT_FALSE(written);
        EXPECT_TRUE(written.error().contains("SavingPath"));
        EXPECT_EQ(ReadFileBytes(path), before);
    }
    EXPECT_EQ(file.readString(opt::kHtml, opt::kSavingPath, "").value(), "/album");

    // SaveAllOptions stops at that key: the ones before it are written, none after.
    OptionValues v;
    v.savingPath = "/films2";
    v.savingFavPath = "/fav\n[HTML]";
    v.tab1Save = true;
    std::vector<std::string> keys;
    const Status saved = SaveAllOptions(file, v, [&](const char* key) { keys.emplace_back(key); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(keys, std::vector<std::string>{opt::kSavingPath});
    EXPECT_EQ(file.readString(opt::kSettings, opt::kSavingPath, "").value(), "/films2");
    EXPECT_EQ(file.readString(opt::kSettings, opt::kTab1Save, "absent").value(), "absent");
}

} // namespace
} // namespace quorvel
