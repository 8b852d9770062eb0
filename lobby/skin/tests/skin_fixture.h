// An application directory in a temporary folder with the skin environment
// pointing at it, for the widget tests.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QSize>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "skin/skin_environment.h"
#include "test_files.h"

namespace tessary::skin::testing {

// Solid colours of the four button faces: up, down, sel, dis.
QColor faceColor(int face);

class SkinFixture : public ::testing::Test {
protected:
    SkinFixture();
    ~SkinFixture() override;

    // A solid 24-bit .bmp at `relative` below the application directory.
    void writePicture(const std::string& relative, QSize size, QColor color) const;
    // `count` face pictures of button\<name> in the skin directory.
    void writeButton(const std::string& name, int count, QSize size) const;
    // A short tone as data/sound/<name>.
    void writeSound(const std::string& name, int milliseconds) const;

    TempDir dir_;
    bool busy_ = false;
    bool soundsOn_ = false;
    std::vector<std::pair<QString, QString>> systemMessages_;
};

}  // namespace tessary::skin::testing
