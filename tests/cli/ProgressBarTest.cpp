#include "cli/ProgressBar.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

TEST(ProgressBar, LineShowsBarCountAndPercentage)
{
    EXPECT_EQ(ProgressBar::Line("run", 0, 4, 8), QStringLiteral("run [........] 0/4   0%"));
    EXPECT_EQ(ProgressBar::Line("run", 1, 3, 9), QStringLiteral("run [###......] 1/3  33%"));
    EXPECT_EQ(ProgressBar::Line("run", 4, 4, 8), QStringLiteral("run [########] 4/4 100%"));
    // Out of range and empty runs.
    EXPECT_EQ(ProgressBar::Line("run", 9, 4, 8), QStringLiteral("run [########] 4/4 100%"));
    EXPECT_EQ(ProgressBar::Line("run", 0, 0, 4), QStringLiteral("run [####] 0/0 100%"));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, read);
    return text;
}

TEST(ProgressBar, RedrawsOneLineInPlaceAndEndsIt)
{
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    ASSERT_TRUE(out);
    {
        ProgressBar bar("p", 2, out.get());
        EXPECT_TRUE(bar.Visible());
        bar.Update(1);
        bar.Update(1); // unchanged: not drawn again
        bar.Update(2);
    }
    EXPECT_EQ(Contents(out.get()), "\r" + ProgressBar::Line("p", 1, 2).toStdString() + "\r"
                                       + ProgressBar::Line("p", 2, 2).toStdString() + "\n");
}

} // namespace
