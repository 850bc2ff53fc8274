#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/MAPIForm.h"
#include "support/TestEnv.h"

// A freshly loaded main window (About window skipped), with first-start settings.
struct ShellTest : ::testing::Test {
    void SetUp() override {
        testenv::resetUserFolders();
        form = std::make_unique<app::MAPIForm>();
        form->load(false);
    }
    template <class T = QWidget>
    T* c(const QString& name) const {
        return form->control<T>(name);
    }
    std::unique_ptr<app::MAPIForm> form;
};
