#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "IconFixtures.h"
#include "TempTree.h"
#include "platform/ShellIcons.h"

using namespace IconFixtures;

namespace {

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = (v << 8) | static_cast<std::uint8_t>(bytes.at(at + static_cast<std::size_t>(i)));
  }
  return v;
}

// A library of two groups, broken by `breakIt` with the help of its layout.
std::string BrokenPe(const std::function<void(std::string&, const TPeLayout&)>& breakIt) {
  TPeLayout layout;
  std::string bytes = PeLibrary({Group({16, 32}), Group({32})}, {}, &layout);
  breakIt(bytes, layout);
  return bytes;
}

// File offset of the resource section header's fields.
std::size_t SectionField(const TPeLayout& l, std::size_t field) {
  return l.SectionTable + 40 * l.ResourceSection + field;
}

// The language-directory entry of group `i`, whose target must be a data entry.
std::size_t LanguageEntry(const std::string& bytes, const TPeLayout& l, std::size_t i) {
  const std::uint32_t target = Get32(bytes, l.GroupDirectory + 16 + 8 * i + 4);
  return l.ResourceRaw + (target & 0x7FFFFFFFU) + 16;
}

std::string BrokenNe(const std::function<void(std::string&, const TNeLayout&)>& breakIt) {
  TNeLayout layout;
  TGroup named = Group({32});
  named.Name = "NAMED";
  std::string bytes = NeLibrary({Group({16, 32}), named}, 4, &layout);
  breakIt(bytes, layout);
  return bytes;
}

std::string BrokenIco(const std::function<void(std::string&)>& breakIt,
                      const std::vector<TImage>& images = {{32, 32}}) {
  std::string bytes = IcoFile(images);
  breakIt(bytes);
  return bytes;
}

// Where the bitmap header of the icon file's first image starts.
std::size_t FirstImage(const std::string& ico) {
  return Get32(ico, IcoEntryOffset(0) + 12);
}

struct TBrokenCase {
  const char* Name;
  std::string Bytes;
  std::vector<bool> Handles;  // per index: whether a handle comes back; the count is its size
};

}  // namespace

// Broken and hostile files: none may crash, hang or allocate without bound; each gives "holds
// none", a count, and per index a handle or an empty result.
TEST(BrokenIcon, EveryClassOfBrokenInputGivesAClearResult) {
  const std::string pe = PeLibrary({Group({16, 32}), Group({32})});
  TGroup missing;
  missing.MissingImageIds = {99};
  TGroup partlyMissing = Group({32});
  partlyMissing.MissingImageIds = {77};
  const std::string png = IcoFile({{256, 256, 32, true}});

  const std::vector<TBrokenCase> cases = {
      {"PE cut inside the DOS header", pe.substr(0, 40), {}},
      {"PE cut inside the section table", pe.substr(0, 0x80 + 24 + 224 + 20), {}},
      {"PE cut inside the resource tree", pe.substr(0, 0x400 + 40), {}},
      {"PE cut inside its images", pe.substr(0, 0x600), {false, false}},
      {"e_lfanew past the end", BrokenPe([](auto& b, auto&) { Put32(b, 0x3C, 0xFFFFFFF0U); }), {}},
      {"e_lfanew wrapping", BrokenPe([](auto& b, auto&) { Put32(b, 0x3C, 0xFFFFFFFFU); }), {}},
      {"65535 sections claimed: the real ones are among those read",
       BrokenPe([](auto& b, auto& l) { Put16(b, l.PeHeader + 6, 0xFFFF); }),
       {true, true}},
      {"resource RVA outside every section",
       BrokenPe([](auto& b, auto& l) { Put32(b, l.PeHeader + 24 + 96 + 16, 0x700000); }),
       {}},
      {"resource section of virtual size 0",
       BrokenPe([](auto& b, auto& l) { Put32(b, SectionField(l, 8), 0); }),
       {true, true}},
      {"virtual size smaller than the raw size",
       BrokenPe([](auto& b, auto& l) { Put32(b, SectionField(l, 8), 24); }),
       {}},
      {"raw data pointer past the end",
       BrokenPe([](auto& b, auto& l) { Put32(b, SectionField(l, 20), 0xFFFFFE00U); }),
       {}},
      {"group type pointing at the root directory",
       BrokenPe([](auto& b, auto& l) { Put32(b, l.ResourceRaw + 16 + 8 + 4, 0x80000000U); }),
       {false, false}},
      {"a fourth level of directories",
       BrokenPe([](auto& b, auto& l) {
         for (std::size_t i = 0; i < 2; ++i) {
           const std::size_t at = LanguageEntry(b, l, i) + 4;
           Put32(b, at, Get32(b, at) | 0x80000000U);
         }
       }),
       {false, false}},
      {"group count past its data",
       BrokenPe([](auto& b, auto& l) {
         const std::size_t entry = LanguageEntry(b, l, 0);
         const std::uint32_t data = Get32(b, entry + 4);
         const std::uint32_t rva = Get32(b, l.ResourceRaw + data);
         Put16(b, l.ResourceRaw + (rva - l.ResourceRva) + 4, 0xFFFF);
       }),
       {true, true}},
      {"group naming only a missing image", PeLibrary({missing, Group({32})}), {false, true}},
      {"group naming a missing image too", PeLibrary({partlyMissing}), {true}},
      {"NE alignment shift of 16",
       BrokenNe([](auto& b, auto& l) { Put16(b, l.ResourceTable, 16); }),
       {}},
      {"NE alignment shift of 15",
       BrokenNe([](auto& b, auto& l) { Put16(b, l.ResourceTable, 15); }),
       {}},
      {"NE resource table past the end",
       BrokenNe([](auto& b, auto& l) { Put16(b, l.NeHeader + 0x24, 0xFFF0); }),
       {}},
      {"NE type claiming 65535 resources",
       BrokenNe([](auto& b, auto& l) { Put16(b, l.ResourceTable + 2 + 2, 0xFFFF); }),
       {}},
      {"NE name of bad length",
       BrokenNe([](auto& b, auto&) { b.at(b.find("NAMED") - 1) = static_cast<char>(0xFF); }),
       {true, true}},
      {"icon directory claiming 65535 entries",
       BrokenIco([](auto& b) { Put16(b, 4, 0xFFFF); }),
       {true}},
      {"icon directory claiming none", BrokenIco([](auto& b) { Put16(b, 4, 0); }), {}},
      {"image offset past the end",
       BrokenIco([](auto& b) { Put32(b, IcoEntryOffset(0) + 12, 0xFFFFFFF0U); }),
       {}},
      {"image size wrapping",
       BrokenIco([](auto& b) { Put32(b, IcoEntryOffset(0) + 8, 0xFFFFFFFFU); }),
       {true}},
      {"width and height 0 in the directory",
       BrokenIco([](auto& b) { Put16(b, IcoEntryOffset(0), 0); }),
       {true}},
      {"absurd bitmap width",
       BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 4, 100000); }),
       {false}},
      {"negative bitmap height",
       BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 8, static_cast<std::uint32_t>(-64)); }),
       {false}},
      {"odd bitmap height", BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 8, 63); }), {false}},
      {"bit depth 7", BrokenIco([](auto& b) { Put16(b, FirstImage(b) + 14, 7); }), {false}},
      {"compressed bitmap", BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 16, 1); }), {false}},
      {"biClrUsed past 256 on a true-colour image",
       BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 32, 100000); }),
       {false}},
      {"broken best image, usable other image",
       BrokenIco([](auto& b) { Put16(b, FirstImage(b) + 14, 7); }, {{32, 32}, {48, 48}}),
       {true}},
      {"PNG entry with bit count 0",
       BrokenIco([](auto& b) { Put16(b, IcoEntryOffset(0) + 6, 0); }, {{256, 256, 32, true}}),
       {true}},
      {"PNG entry with a wrong bit count",
       BrokenIco([](auto& b) { Put16(b, IcoEntryOffset(0) + 6, 1); }, {{256, 256, 32, true}}),
       {true}},
      {"truncated PNG", png.substr(0, png.size() / 2), {false}},
      {"PNG of absurd size",
       BrokenIco([](auto& b) { Put32(b, FirstImage(b) + 16, 0x10000000U); },
                 {{256, 256, 32, true}}),
       {false}},
      {"animated cursor with no frames", AniFile({IcoFile({{32, 32}})}, {.Frames = 0}), {}},
      {"animated cursor with rate 0", AniFile({IcoFile({{32, 32}})}, {.Rate = 0}), {true}},
      {"animated cursor with RIFF size off by 8",
       AniFile({IcoFile({{32, 32}})}, {.RiffSizeAdjust = 8}),
       {true}},
      {"animated cursor with an odd-sized chunk",
       AniFile({IcoFile({{32, 32}})}, {.OddChunk = true}),
       {true}},
      {"animated cursor cut inside its frame",
       AniFile({IcoFile({{32, 32}})}).substr(0, 120),
       {false}},
  };
  TempTree tree;
  for (const TBrokenCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = tree.File("broken.dll", c.Bytes);
    const std::int32_t probe = ExtractIconA(path, 0).Value();
    if (!c.Handles.empty() && c.Handles[0]) {
      EXPECT_GT(probe, 1);
    } else {
      EXPECT_EQ(probe, 0);
    }
    ASSERT_EQ(ExtractIconA(path, kIconCountIndex).Value(), static_cast<int>(c.Handles.size()));
    for (std::size_t i = 0; i < c.Handles.size(); ++i) {
      TExtractIconResult result = ExtractIconA(path, static_cast<std::uint32_t>(i));
      const HICON icon = result.TakeIcon();
      EXPECT_EQ(static_cast<bool>(icon), c.Handles[i]) << "index " << i;
      EXPECT_EQ(result.Value() > 1, c.Handles[i]) << "index " << i;
    }
  }
}
