// The committed templates are what the generator makes from the cover model.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "cover/cover_test_support.h"
#include "px_covergen.h"
#include "support/temp_dir.h"

namespace px {
namespace {

TEST(ShippedCovers, CommittedFilesAreTheGeneratorsOutput) {
    test::TempDir dir;
    const QStringList names = generateShippedCovers(QString::fromStdString(dir.path()));
    ASSERT_EQ(names.size(), 4);
    for (const QString& name : names) {
        // The preview shows the date of saving; the design, render list and
        // description do not change.
        for (const char* ext : {".FCS", ".FCT", ".DES"}) {
            const std::string generated =
                test::readFile(dir / (name + QLatin1String(ext)).toStdString());
            const std::string committed = test::readFile(
                test::sourceFile(QStringLiteral("resources/covers/") + name + QLatin1String(ext))
                    .toStdString());
            EXPECT_FALSE(generated.empty());
            EXPECT_EQ(generated, committed) << name.toStdString() << ext;
        }
    }
}

}  // namespace
}  // namespace px
