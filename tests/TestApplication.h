#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

// Including this header gives the test program one QApplication (printing and widgets
// need a GUI application), made before the first test and destroyed after the last.
namespace testapp {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "tallyforge_tests";
        static char* argv[] = { name, nullptr };
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

inline ::testing::Environment* const kEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace testapp
