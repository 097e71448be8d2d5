#pragma once

// Screens under test: a shell made from an inline configuration (JSON text)
// with tests/resources as its bundle, a headless host, the root controller
// in a shown window, navigation by URL and a text dump of the controller
// tree to compare with expected text. The class "ColourCard" is a screen
// filled red ("a", "menu"), green ("b") or blue (any other alias).

#include "framework/core/IKRUIViewController.h"
#include "platform/host/HeadlessHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class KRShell;

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // `json` is the shell configuration ("url", "ui", ...).
    void makeShell(const std::string& json);
    // The shell's root controller, shown as the root of a key window.
    std::shared_ptr<IKRUIViewController> showRoot();
    // The root opens `url` animated, then the clock advances 0.35 s.
    bool navigate(const std::string& url);
    // One line per controller below the root, depth first, children
    // indented by two blanks: class, alias, own path and the parent's alias
    // ("-" without parent). Stack children, content children, modal
    // controllers ("modal" before the class) and pop-window roots ("pop"
    // before the class, after the root's tree) all appear.
    std::string dumpTree();

    std::unique_ptr<pf::HeadlessHost> host;
    std::shared_ptr<KRShell> shell;
    pf::WindowRef window;
};
