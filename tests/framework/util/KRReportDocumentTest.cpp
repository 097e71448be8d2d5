#include "framework/util/KRReportDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::optional<uint32_t> version(const std::string& xml)
{
    auto document = KRReportDocument::initWithData(pf::Bytes(xml.begin(), xml.end()));
    if (!document)
        return std::nullopt;
    return document->cDocument()->version;
}

}

TEST(KRReportDocument, ReadsTheLeadingNumberOfTheVersion)
{
    struct Row {
        const char* xml;
        std::optional<uint32_t> version;
    } rows[] = {
        {"<report><version>12abc</version></report>", 12},
        {"<?xml version=\"1.0\"?><report><title>t</title><version> 7 </version><version>9</version></report>", 7},
        {"<report><version>abc</version></report>", 0},
        {"<report><version/></report>", 0},
        {"<report><version>-3</version></report>", 0},
        {"<report><version>99999999999</version></report>", UINT32_MAX},
        {"<other><version>1</version></other>", std::nullopt},
        {"<report><name>1</name></report>", std::nullopt},
        {"<report><version>1</version>", std::nullopt},
        {"not xml", std::nullopt},
        {"", std::nullopt},
        // Entities are neither loaded nor expanded.
        {"<!DOCTYPE report [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><report><version>&x;5</version></report>", 5},
        {"<!DOCTYPE report [<!ENTITY n \"42\">]><report><version>&n;</version></report>", 0},
        {"<!DOCTYPE report SYSTEM \"http://127.0.0.1:1/report.dtd\"><report><version>3</version></report>", 3},
    };
    for (const auto& row : rows)
        EXPECT_EQ(version(row.xml), row.version) << row.xml;
}
