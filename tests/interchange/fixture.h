// A small fixture for the reader's layers: a private directory for files and
// logs, the recorded dialogs, and loading a text through scanner, grammar,
// tree and option walk.
#pragma once

#include <gtest/gtest.h>

#include "Interchange/XmlFormat.h"
#include "Interchange/XmlLog.h"
#include "Interchange/XmlScanner.h"
#include "Interchange/XmlTree.h"
#include "doubles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace interchange_test {

struct Loaded {
    int parse = -1;
    std::vector<XmlItem> items;
    XmlTagLookup lookup;
    std::unique_ptr<XmlCell> root;
};

class ReaderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/interchange-XXXXXX";
        dir_ = mkdtemp(pattern);
        shownMessages().clear();
        logName_ = XmlLogSetName((dir_ / "net.xml").string());
    }
    void TearDown() override {
        XmlLogFinish();
        std::filesystem::remove_all(dir_);
    }

    // Scans, parses, builds the tree and fills the records.
    std::unique_ptr<Loaded> load(const std::string& text) {
        auto l = std::make_unique<Loaded>();
        XmlScanner scanner(text);
        l->parse = XmlParse(scanner, l->items);
        if (l->parse == 0 && !l->items.empty()) l->root = XmlBuildTree(l->items, l->lookup);
        if (l->root) XmlApplyOptions(*l->root);
        return l;
    }

    std::string logText() const {
        std::ifstream in(logName_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool logExists() const { return std::filesystem::exists(logName_); }

    std::filesystem::path dir_;
    std::string logName_;
};

inline const std::string kStructureMessage = "ERROR: Something must be wrong with the structure...";

}  // namespace interchange_test
