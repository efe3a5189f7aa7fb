// The stored Office packages, checked by real consumers: Python's zipfile with the package rules
// (each stored part is its readable copy), the ECMA-376 schemas through xmllint, unzip,
// LibreOffice, python-docx and openpyxl.

#include "app/templates/OfficeTemplates.h"
#include "tests/support/RunProgram.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>

namespace orv::test {
namespace {

const std::filesystem::path kTemplates = ORVANE_TEMPLATES_DIR;
const std::filesystem::path kSchemas = ORVANE_XSD_DIR;

struct Kind {
    std::string ext;
    std::string_view (*package)();
    std::string filter; // LibreOffice's import filter
    friend void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.ext; }
};

const std::vector<Kind> kKinds = {
    {"docx", templates::emptyDocxPackage, "MS Word 2007 XML"},
    {"xlsx", templates::emptyXlsxPackage, "Calc MS Excel 2007 XML"},
    {"pptx", templates::emptyPptxPackage, "Impress MS PowerPoint 2007 XML"}};

struct OfficePackagesTest : ::testing::TestWithParam<Kind> {
    // The package as a file, as createFile writes it.
    Path written() {
        const Path file = dir / ("Untitled." + GetParam().ext);
        writeFile(file, GetParam().package());
        return file;
    }
    RunResult run(const Path& program, const std::vector<std::string>& arguments) {
        return runProgram(program, arguments, {{"HOME", dir.path().str()}, {"LANG", "C.UTF-8"}},
                          dir.path());
    }
    TempDir dir;
};

TEST_P(OfficePackagesTest, PythonReadsTheContainerItsPartsAndRelationshipsAndFindsItEmpty) {
    ORVANE_REQUIRE_PROGRAM("python3");
    const auto result = run(Path("/usr/bin/python3"), {ORVANE_CHECK_PACKAGE_SCRIPT, written().str(),
                                                       (kTemplates / GetParam().ext).string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_P(OfficePackagesTest, EveryPartValidatesAgainstTheSchemas) {
    ORVANE_REQUIRE_PROGRAM("xmllint");
    ORVANE_REQUIRE_PROGRAM("unzip");
    const Path xmllint("/usr/bin/xmllint"), unzip("/usr/bin/unzip");
    const auto tested = run(unzip, {"-t", written().str()});
    EXPECT_THAT(tested.out, ::testing::HasSubstr("No errors detected"));
    ASSERT_EQ(run(unzip, {"-q", written().str(), "-d", (dir / "parts").str()}).exitCode, 0);
    for (const auto& e : std::filesystem::recursive_directory_iterator((dir / "parts").str())) {
        if (!e.is_regular_file()) {
            continue;
        }
        const std::string name = e.path().lexically_relative((dir / "parts").str()).string();
        const std::string schema = name == "[Content_Types].xml" ? "opc-xsd/opc-contentTypes.xsd"
                                   : name.ends_with(".rels")     ? "opc-xsd/opc-relationships.xsd"
                                   : name.starts_with("word/")   ? "wml.xsd"
                                   : name.starts_with("xl/")     ? "sml.xsd"
                                   : name.starts_with("ppt/theme/") ? "dml-main.xsd"
                                                                    : "pml.xsd";
        const auto result =
            run(xmllint, {"--noout", "--schema", (kSchemas / schema).string(), e.path().string()});
        EXPECT_EQ(result.exitCode, 0) << name << " against " << schema << ":\n" << result.err;
    }
}

TEST_P(OfficePackagesTest, LibreOfficeConvertsItToOnePage) {
    ORVANE_REQUIRE_PROGRAM("soffice");
    const Path soffice("/usr/bin/soffice");
    const auto result =
        run(soffice, {"-env:UserInstallation=file://" + (dir / "profile").str(), "--headless",
                      "--norestore", "--infilter=" + GetParam().filter, "--convert-to", "pdf",
                      "--outdir", (dir / "pdf").str(), written().str()});
    const std::string pdf = readFile(dir / "pdf/Untitled.pdf");
    ASSERT_THAT(pdf, ::testing::StartsWith("%PDF-")) << result.out << result.err;
    const std::regex page(R"(/Type\s*/Page[^s])");
    const auto pages = std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), {});
    EXPECT_EQ(pages, 1) << "one empty page, sheet or slide";
    if (GetParam().ext == "pptx") {
        std::smatch box;
        ASSERT_TRUE(std::regex_search(
            pdf, box, std::regex(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])")));
        EXPECT_NEAR(std::stod(box[1]), 720, 0.5) << "4:3, ten inches wide";
        EXPECT_NEAR(std::stod(box[2]), 540, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OfficePackagesTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return info.param.ext; });

} // namespace
} // namespace orv::test
