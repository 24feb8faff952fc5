#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/controls/image_view.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class ImageTest : public ::testing::Test {
  protected:
    fs::path dir = fs::temp_directory_path() / ("norvik-image-test-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    fs::path write(const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    }
};

TEST_F(ImageTest, ReadableFileGivesItsBytes) {
    const auto path = write("icon_healthcheck_ok.png", "\x89PNG\r\n\x1a\n....");
    auto image = Image::initWithContentsOfFile(path);
    EXPECT_FALSE(image->isEmpty());
    EXPECT_EQ(image->data().size(), 12u);
    EXPECT_EQ(image->path(), path);
}

TEST_F(ImageTest, MissingEmptyOrNonRegularFilesGiveAnEmptyImage) {
    for (const fs::path& path : {dir / "missing.png", write("empty.png", ""), dir, fs::path{}}) {
        auto image = Image::initWithContentsOfFile(path);
        ASSERT_NE(image, nullptr) << path;
        EXPECT_TRUE(image->isEmpty()) << path;
        EXPECT_EQ(image->path(), path);
    }
}

TEST_F(ImageTest, ImageViewTellsObserversOfEveryNewImage) {
    auto view = ImageView::create();
    int changes = 0;
    auto watch = view->observe([&](Observable&, Change c) { changes += c == Change::Image; });
    view->setImage(Image::initWithContentsOfFile(dir / "missing.png"));
    view->setImage(nullptr);
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace platform
