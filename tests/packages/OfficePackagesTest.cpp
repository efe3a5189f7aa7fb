// The stored Office packages, checked by real consumers: the packer (the stored bytes are what
// the readable parts pack to), a checking ZIP reader, the ECMA-376 schemas through xmllint, the
// package rules, unzip, LibreOffice, python-docx and openpyxl.

#include "app/templates/OfficeTemplates.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/Zip.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <tuple>

namespace orv::test {
namespace {

const std::filesystem::path kTemplates = ORVANE_TEMPLATES_DIR;
const std::filesystem::path kSchemas = ORVANE_XSD_DIR;
const Path kPacker(ORVANE_PACK_OFFICE_PROGRAM);

struct Kind {
    std::string ext;
    std::string_view (*package)();
    friend void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.ext; }
};

const std::vector<Kind> kKinds = {{"docx", templates::emptyDocxPackage},
                                  {"xlsx", templates::emptyXlsxPackage},
                                  {"pptx", templates::emptyPptxPackage}};

std::vector<std::string> partOrder(const std::string& ext) {
    std::ifstream in(kTemplates / (ext + ".parts"));
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

ZipArchive archiveOf(const Kind& kind) {
    std::string error;
    auto archive = readZip(kind.package(), error);
    EXPECT_TRUE(archive) << kind.ext << ": " << error;
    return archive.value_or(ZipArchive{});
}

// An external program, found on PATH. Missing on a developer's machine: skipped; under CI
// (which installs them all) a missing consumer is a failure.
std::optional<Path> consumer(const std::string& name) {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const auto candidate = std::filesystem::path(dir) / name;
        if (std::filesystem::exists(candidate)) {
            return Path(candidate.string());
        }
    }
    return std::nullopt;
}

#define REQUIRE_CONSUMER(var, name)                                                                \
    const auto var = consumer(name);                                                               \
    if (!var) {                                                                                    \
        if (std::getenv("CI") != nullptr) {                                                        \
            FAIL() << name << " is not installed";                                                 \
        }                                                                                          \
        GTEST_SKIP() << name << " is not installed";                                               \
    }

std::map<std::string, std::string> environmentFor(const TempDir& dir) {
    return {{"HOME", dir.path().str()}, {"LANG", "C.UTF-8"}};
}

class OfficePackagesTest : public ::testing::TestWithParam<Kind> {
  protected:
    // The package as a file, as createFile writes it.
    Path written() {
        const Path file = dir / ("Untitled." + GetParam().ext);
        writeFile(file, GetParam().package());
        return file;
    }
    TempDir dir;
};

TEST_P(OfficePackagesTest, StoredBytesAreWhatThePartsPackTo) {
    const auto& kind = GetParam();
    const Path repacked = dir / ("repacked." + kind.ext);
    const auto packed = runProgram(kPacker,
                                   {(kTemplates / kind.ext).string(),
                                    (kTemplates / (kind.ext + ".parts")).string(), repacked.str()},
                                   environmentFor(dir), dir.path());
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_TRUE(readFile(repacked) == kind.package())
        << "app/templates/empty." << kind.ext
        << " has drifted from its parts: build the office-templates target and commit";
}

TEST_P(OfficePackagesTest, ContainerHasTheAgreedShapeAndEveryPartInflatesToItsSource) {
    const auto& kind = GetParam();
    const auto archive = archiveOf(kind);
    std::vector<std::string> names;
    for (const auto& e : archive.entries) {
        names.push_back(e.name);
        EXPECT_EQ(e.method, 8) << e.name;
        EXPECT_EQ(e.flags, 0) << e.name << ": no data descriptors";
        EXPECT_EQ(e.versionMadeBy, (3 << 8) | 20) << e.name;
        EXPECT_EQ(e.versionNeeded, 20) << e.name;
        EXPECT_EQ(e.externalAttributes, 0100600u << 16) << e.name;
        EXPECT_EQ(e.localExtraLength + e.centralExtraLength + e.commentLength, 0) << e.name;
        EXPECT_NE(e.name.back(), '/') << "no folder entries";
        EXPECT_EQ(e.data, readFile(Path((kTemplates / kind.ext / e.name).string()))) << e.name;
        EXPECT_THAT(e.data, ::testing::StartsWith(
                                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"));
        EXPECT_NE(e.data.back(), '\n') << e.name << ": nothing after the root's end tag";
    }
    EXPECT_EQ(names, partOrder(kind.ext));
    EXPECT_EQ(names.front(), "[Content_Types].xml");
    EXPECT_EQ(archive.commentLength, 0);
}

TEST_P(OfficePackagesTest, ContentTypesNameEveryPartExactlyOnce) {
    const auto archive = archiveOf(GetParam());
    std::string types;
    std::set<std::string> parts;
    for (const auto& e : archive.entries) {
        if (e.name == "[Content_Types].xml") {
            types = e.data;
        } else if (e.name.size() < 5 || e.name.substr(e.name.size() - 5) != ".rels") {
            parts.insert("/" + e.name);
        }
    }
    std::multiset<std::string> overridden;
    const std::regex override(R"re(<Override PartName="([^"]+)" ContentType="[^"]+"/>)re");
    for (auto it = std::sregex_iterator(types.begin(), types.end(), override);
         it != std::sregex_iterator(); ++it) {
        overridden.insert((*it)[1]);
    }
    EXPECT_EQ(overridden, std::multiset<std::string>(parts.begin(), parts.end()));
    EXPECT_THAT(types, ::testing::HasSubstr("<Default Extension=\"rels\" ContentType=\"application/"
                                            "vnd.openxmlformats-package.relationships+xml\"/>"));
    EXPECT_THAT(types, ::testing::HasSubstr(
                           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"));
}

TEST_P(OfficePackagesTest, EveryRelationshipResolvesToAPartOfThePackage) {
    const auto archive = archiveOf(GetParam());
    std::set<std::string> names;
    for (const auto& e : archive.entries) {
        names.insert(e.name);
    }
    const std::regex relationship(
        R"re(<Relationship Id="(rId\d+)" Type="[^"]+" Target="([^"]+)"/>)re");
    int relationships = 0;
    for (const auto& e : archive.entries) {
        if (e.name.find("_rels/") == std::string::npos) {
            continue;
        }
        // "a/_rels/b.xml.rels" speaks for "a/b.xml"; targets are relative to "a/".
        const auto rels = e.name.find("_rels/");
        const std::filesystem::path base = std::filesystem::path("/" + e.name.substr(0, rels));
        std::set<std::string> ids;
        for (auto it = std::sregex_iterator(e.data.begin(), e.data.end(), relationship);
             it != std::sregex_iterator(); ++it, ++relationships) {
            EXPECT_TRUE(ids.insert((*it)[1]).second) << e.name << ": duplicate " << (*it)[1];
            const auto target =
                (base / std::string((*it)[2])).lexically_normal().string().substr(1);
            EXPECT_EQ(names.count(target), 1u) << e.name << " -> " << target;
        }
        const auto source =
            e.name.substr(0, rels) + e.name.substr(rels + 6, e.name.size() - rels - 11);
        EXPECT_TRUE(e.name == "_rels/.rels" || names.count(source) == 1) << e.name;
    }
    EXPECT_GE(relationships, 2);
}

TEST_P(OfficePackagesTest, EveryPartValidatesAgainstTheSchemas) {
    REQUIRE_CONSUMER(xmllint, "xmllint");
    const auto archive = archiveOf(GetParam());
    for (const auto& e : archive.entries) {
        std::string schema;
        if (e.name == "[Content_Types].xml") {
            schema = "opc-xsd/opc-contentTypes.xsd";
        } else if (e.name.find(".rels") != std::string::npos) {
            schema = "opc-xsd/opc-relationships.xsd";
        } else if (e.name.rfind("word/", 0) == 0) {
            schema = "wml.xsd";
        } else if (e.name.rfind("xl/", 0) == 0) {
            schema = "sml.xsd";
        } else if (e.name.rfind("ppt/theme/", 0) == 0) {
            schema = "dml-main.xsd";
        } else {
            schema = "pml.xsd";
        }
        const Path part = dir / "part.xml";
        writeFile(part, e.data);
        const auto result =
            runProgram(*xmllint, {"--noout", "--schema", (kSchemas / schema).string(), part.str()},
                       environmentFor(dir), dir.path());
        EXPECT_EQ(result.exitCode, 0) << e.name << " against " << schema << ":\n" << result.err;
    }
}

TEST_P(OfficePackagesTest, UnzipTestsItClean) {
    REQUIRE_CONSUMER(unzip, "unzip");
    const auto result =
        runProgram(*unzip, {"-t", written().str()}, environmentFor(dir), dir.path());
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_THAT(result.out, ::testing::HasSubstr("No errors detected"));
}

TEST_P(OfficePackagesTest, LibreOfficeConvertsIt) {
    REQUIRE_CONSUMER(soffice, "soffice");
    const std::map<std::string, std::string> filters = {{"docx", "MS Word 2007 XML"},
                                                        {"xlsx", "Calc MS Excel 2007 XML"},
                                                        {"pptx", "Impress MS PowerPoint 2007 XML"}};
    const Path file = written();
    const auto result =
        runProgram(*soffice,
                   {"-env:UserInstallation=file://" + (dir / "profile").str(), "--headless",
                    "--norestore", "--infilter=" + filters.at(GetParam().ext), "--convert-to",
                    "pdf", "--outdir", (dir / "pdf").str(), file.str()},
                   environmentFor(dir), dir.path());
    const Path pdf = dir / "pdf/Untitled.pdf";
    ASSERT_TRUE(std::filesystem::exists(pdf.str())) << result.out << result.err;
    const std::string content = readFile(pdf);
    EXPECT_THAT(content, ::testing::StartsWith("%PDF-"));
    if (GetParam().ext == "pptx") {
        std::smatch box;
        ASSERT_TRUE(std::regex_search(
            content, box, std::regex(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])")));
        EXPECT_NEAR(std::stod(box[1]), 720, 0.5) << "4:3, ten inches wide";
        EXPECT_NEAR(std::stod(box[2]), 540, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OfficePackagesTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return info.param.ext; });

// python-docx and openpyxl read what a user's scripts would read.
TEST(OfficePackagesWithPythonTest, TheDocumentHasOneEmptyParagraphAndTheWorkbookOneEmptySheet) {
    REQUIRE_CONSUMER(python, "python3");
    TempDir dir;
    const std::vector<std::tuple<std::string, std::string_view, std::string>> checks = {
        {"docx", templates::emptyDocxPackage(),
         "import docx, sys\n"
         "d = docx.Document(sys.argv[1])\n"
         "assert [p.text for p in d.paragraphs] == [''], d.paragraphs\n"},
        {"xlsx", templates::emptyXlsxPackage(),
         "import openpyxl, sys\n"
         "wb = openpyxl.load_workbook(sys.argv[1])\n"
         "assert wb.sheetnames == ['Sheet1'], wb.sheetnames\n"
         "ws = wb['Sheet1']\n"
         "assert ws.max_row == 1 and ws.max_column == 1 and ws['A1'].value is None\n"},
    };
    for (const auto& [ext, bytes, check] : checks) {
        const Path file = dir / ("Untitled." + ext);
        writeFile(file, bytes);
        const Path script = dir / ("check-" + ext + ".py");
        writeFile(script, check);
        const auto result =
            runProgram(*python, {script.str(), file.str()}, environmentFor(dir), dir.path());
        EXPECT_EQ(result.exitCode, 0) << ext << ": " << result.err;
    }
}

} // namespace
} // namespace orv::test
