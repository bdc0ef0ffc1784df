#pragma once

#include <QRgb>
#include <cstdint>
#include <string>
#include <vector>

// Builders of small icon-holding files for tests and benchmarks: icon and cursor files, animated
// cursors, PE32/PE32+ libraries and 16-bit NE libraries. Every builder returns the file's bytes;
// the layout structs say where the parts lie, so that a test can break exactly one of them.
namespace IconFixtures {

// One image: a square of `Color` whose top-left pixel is transparent.
struct TImage {
  int Width = 32;
  int Height = 32;
  int BitCount = 32;  // 1, 4, 8, 16, 24 or 32; ignored for PNG
  bool Png = false;
  QRgb Color = qRgb(0x38, 0x68, 0xC8);  // survives 16-bit colour unchanged
  // Bitmap palette entries written and declared; 0: the full palette. More than the depth can
  // index declares that many and writes the full palette.
  int ColorsUsed = 0;
};

// The bytes of one image as stored in a file: a PNG stream, or a bitmap header, palette, colour
// bits and AND mask.
std::string ImageData(const TImage& image);

// An icon (or, with `cursor`, a cursor) file holding the images in this order.
std::string IcoFile(const std::vector<TImage>& images, bool cursor = false);
// Offsets inside an icon file made by IcoFile: of entry `i` of its directory, and of that
// entry's image-offset field.
constexpr std::size_t IcoEntryOffset(std::size_t i) {
  return 6 + 16 * i;
}

struct TAniOptions {
  std::uint32_t Frames = 1;  // as the header announces it
  std::uint32_t Rate = 10;
  bool OddChunk = false;             // an odd-sized chunk (with its pad byte) before the frames
  std::uint32_t RiffSizeAdjust = 0;  // added to the RIFF size (8: the common off-by-8 error)
};
// An animated cursor whose frames are the given icon or cursor files.
std::string AniFile(const std::vector<std::string>& frames, const TAniOptions& options = {});

// One icon group of a library: its images, and its resource name or number.
struct TGroup {
  std::vector<TImage> Images;
  std::string Name;  // upper-case ASCII; empty: numbered by Id
  std::uint16_t Id = 1;
  // Ids that the group's directory names but the library does not hold, added after Images.
  std::vector<std::uint16_t> MissingImageIds;
};

// A group of square 32-bit images of the given sizes, all of one colour.
TGroup Group(const std::vector<int>& sizes, QRgb color = TImage{}.Color);
// `count` such groups, numbered 1 to count.
std::vector<TGroup> NumberedGroups(int count, const std::vector<int>& sizes);

struct TPeOptions {
  bool Pe32Plus = false;
  bool NoResources = false;
  std::uint32_t CodeSize = 0x200;  // size of a code section placed before the resources
};
struct TPeLayout {
  std::uint32_t PeHeader = 0;         // file offset of "PE\0\0"
  std::uint32_t SectionTable = 0;     // file offset of the first section header
  std::uint32_t ResourceSection = 0;  // index of the resource section in the table
  std::uint32_t ResourceRaw = 0;      // file offset of the resource root directory
  std::uint32_t ResourceRva = 0;
  std::uint32_t GroupDirectory = 0;  // file offset of the group-icon type's name directory
};
// A library whose resource directory holds `groups` (written in the order the format wants:
// named groups first, by name, then numbered ones by id) and their images.
std::string PeLibrary(const std::vector<TGroup>& groups, const TPeOptions& options = {},
                      TPeLayout* layout = nullptr);

struct TNeLayout {
  std::uint32_t NeHeader = 0;
  std::uint32_t ResourceTable = 0;  // file offset of the alignment shift
};
// A 16-bit NE library holding `groups` in the given order, resources aligned to 1 << shift.
std::string NeLibrary(const std::vector<TGroup>& groups, unsigned alignShift = 4,
                      TNeLayout* layout = nullptr);

// Little-endian writes into a built file, for breaking it.
void Put16(std::string& bytes, std::size_t offset, std::uint16_t value);
void Put32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace IconFixtures
