// Shared by the GTK store and help tests: a temporary folder removed after
// each test, with one environment variable pointed into it and restored.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <glib.h>

namespace testsupport {

inline std::string fileText(const std::string& path) {
    gchar* data = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &data, &length, nullptr)) return std::string();
    std::string text(data, length);
    g_free(data);
    return text;
}

inline bool exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

// Removes `path` even where the test took its permissions away.
inline int removeAll(const std::string& path) {
    return std::system(("chmod -R u+rwx '" + path + "' && rm -rf '" + path + "'").c_str());
}

class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gchar* dir = g_dir_make_tmp("plaidwick-test-XXXXXX", nullptr);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        g_free(dir);
    }

    void TearDown() override {
        if (variable_) {
            if (hadOld_) setenv(variable_, old_.c_str(), 1);
            else unsetenv(variable_);
        }
        EXPECT_EQ(removeAll(root_), 0);
    }

    // Sets `variable` for this test; TearDown puts the old value back.
    void setVariable(const char* variable, const std::string& value) {
        if (!variable_) {
            const char* old = std::getenv(variable);
            hadOld_ = old != nullptr;
            old_ = old ? old : "";
            variable_ = variable;
        }
        setenv(variable, value.c_str(), 1);
    }

    std::string root_;

  private:
    const char* variable_ = nullptr;
    bool hadOld_ = false;
    std::string old_;
};

}  // namespace testsupport
