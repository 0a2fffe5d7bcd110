#include "ui/AppName.h"

#include <gtest/gtest.h>

#include "support/PrintText.h"

TEST(AppName, DropsDirectoryAndExtension) {
  EXPECT_EQ(ui::AppNameFromPath("C:\\Program Files\\Corvalith\\VaristepDemo.exe"), "VaristepDemo");
  EXPECT_EQ(ui::AppNameFromPath("Z:/work/build/VaristepMonitor.exe"), "VaristepMonitor");
  EXPECT_EQ(ui::AppNameFromPath("my.tool.exe"), "my.tool");
  EXPECT_EQ(ui::AppNameFromPath("NoExtension"), "NoExtension");
}
