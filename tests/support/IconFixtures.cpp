#include "IconFixtures.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <stdexcept>

namespace IconFixtures {
namespace {

void Add8(std::string& out, std::uint8_t v) {
  out.push_back(static_cast<char>(v));
}
void Add16(std::string& out, std::uint16_t v) {
  Add8(out, static_cast<std::uint8_t>(v & 0xFF));
  Add8(out, static_cast<std::uint8_t>(v >> 8));
}
void Add32(std::string& out, std::uint32_t v) {
  Add16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Add16(out, static_cast<std::uint16_t>(v >> 16));
}
void PadTo(std::string& out, std::size_t alignment, char fill = '\0') {
  while (out.size() % alignment != 0) {
    out.push_back(fill);
  }
}
std::uint32_t AlignUp(std::uint32_t v, std::uint32_t alignment) {
  return (v + alignment - 1) / alignment * alignment;
}

// The fields that icon and group directory entries share: size, colour count, reserved, planes
// (the hot spot's x in a cursor), bit count (its y) and the image's size in bytes.
void AddEntryHead(std::string& out, const TImage& image, std::uint16_t planes, std::uint16_t bits,
                  std::uint32_t bytes) {
  Add8(out, static_cast<std::uint8_t>(image.Width & 0xFF));
  Add8(out, static_cast<std::uint8_t>(image.Height & 0xFF));
  Add8(out, 0);
  Add8(out, 0);
  Add16(out, planes);
  Add16(out, bits);
  Add32(out, bytes);
}

// The bit count a directory names for an image.
std::uint16_t DirectoryBits(const TImage& image) {
  return static_cast<std::uint16_t>(image.Png ? 32 : image.BitCount);
}

std::string PngData(const TImage& shape) {
  QImage image(shape.Width, shape.Height, QImage::Format_ARGB32);
  image.fill(shape.Color);
  image.setPixel(0, 0, 0);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "png")) {
    throw std::runtime_error("cannot write PNG");
  }
  return bytes.toStdString();
}

std::string DibData(const TImage& shape) {
  const int w = shape.Width;
  const int h = shape.Height;
  const int bits = shape.BitCount;
  std::string out;
  Add32(out, 40);
  Add32(out, static_cast<std::uint32_t>(w));
  Add32(out, static_cast<std::uint32_t>(2 * h));
  Add16(out, 1);
  Add16(out, static_cast<std::uint16_t>(bits));
  Add32(out, 0);
  Add32(out, 0);
  Add32(out, 0);
  Add32(out, 0);
  Add32(out, static_cast<std::uint32_t>(shape.ColorsUsed));
  Add32(out, 0);
  if (bits <= 8) {
    const int full = 1 << bits;
    const int written = shape.ColorsUsed > 0 && shape.ColorsUsed < full ? shape.ColorsUsed : full;
    // Colour 0 is black (the masked pixel), colour 1 the image's colour.
    for (int i = 0; i < written; ++i) {
      const QRgb c = i == 1 ? shape.Color : qRgb(0, 0, 0);
      Add8(out, static_cast<std::uint8_t>(qBlue(c)));
      Add8(out, static_cast<std::uint8_t>(qGreen(c)));
      Add8(out, static_cast<std::uint8_t>(qRed(c)));
      Add8(out, 0);
    }
  }
  const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  for (int row = h - 1; row >= 0; --row) {  // bottom-up
    std::string line;
    std::uint32_t acc = 0;
    int accBits = 0;
    for (int x = 0; x < w; ++x) {
      const bool corner = row == 0 && x == 0;
      const QRgb c = corner ? 0 : shape.Color;
      switch (bits) {
        case 32:
          Add8(line, static_cast<std::uint8_t>(qBlue(c)));
          Add8(line, static_cast<std::uint8_t>(qGreen(c)));
          Add8(line, static_cast<std::uint8_t>(qRed(c)));
          Add8(line, corner ? 0 : 0xFF);
          break;
        case 24:
          Add8(line, static_cast<std::uint8_t>(qBlue(c)));
          Add8(line, static_cast<std::uint8_t>(qGreen(c)));
          Add8(line, static_cast<std::uint8_t>(qRed(c)));
          break;
        case 16:
          Add16(line, static_cast<std::uint16_t>(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) |
                                                 (qBlue(c) >> 3)));
          break;
        default:
          acc = (acc << bits) | (corner ? 0U : 1U);
          accBits += bits;
          if (accBits == 8) {
            Add8(line, static_cast<std::uint8_t>(acc));
            acc = 0;
            accBits = 0;
          }
      }
    }
    if (accBits > 0) {
      Add8(line, static_cast<std::uint8_t>(acc << (8 - accBits)));
    }
    line.resize(stride, '\0');
    out += line;
  }
  const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
  for (int row = h - 1; row >= 0; --row) {
    std::string line(maskStride, '\0');
    if (row == 0) {
      line[0] = static_cast<char>(0x80);
    }
    out += line;
  }
  return out;
}

// Puts groups in the order the format wants: named ones by name, then numbered ones by id.
void SortInFormatOrder(std::vector<const TGroup*>& order) {
  std::stable_sort(order.begin(), order.end(), [](const TGroup* a, const TGroup* b) {
    if (a->Name.empty() != b->Name.empty()) {
      return !a->Name.empty();
    }
    return a->Name.empty() ? a->Id < b->Id : a->Name < b->Name;
  });
}

// The group resource: a directory of the group's images naming them by id.
std::string GroupData(const TGroup& group, std::uint16_t firstId) {
  std::string out;
  Add16(out, 0);
  Add16(out, 1);
  Add16(out, static_cast<std::uint16_t>(group.Images.size() + group.MissingImageIds.size()));
  std::uint16_t id = firstId;
  for (const TImage& image : group.Images) {
    AddEntryHead(out, image, 1, DirectoryBits(image),
                 static_cast<std::uint32_t>(ImageData(image).size()));
    Add16(out, id++);
  }
  for (std::uint16_t missing : group.MissingImageIds) {
    AddEntryHead(out, TImage{32, 32}, 1, 32, 40);
    Add16(out, missing);
  }
  return out;
}

// Resources of one type, each with its data, in the order they are to be written.
struct TResource {
  std::string Name;  // empty: numbered
  std::uint16_t Id = 0;
  std::string Data;
};

// Icon images numbered 1.. over all groups, and the groups pointing at them: in the format's
// order for PE, as given for NE (whose tables keep the order they are written in).
void CollectResources(const std::vector<TGroup>& groups, bool formatOrder,
                      std::vector<TResource>& icons, std::vector<TResource>& groupResources) {
  std::uint16_t nextId = 1;
  std::vector<std::uint16_t> firstIds;
  for (const TGroup& g : groups) {
    firstIds.push_back(nextId);
    for (const TImage& image : g.Images) {
      icons.push_back({"", nextId++, ImageData(image)});
    }
  }
  std::vector<const TGroup*> order;
  order.reserve(groups.size());
  for (const TGroup& g : groups) {
    order.push_back(&g);
  }
  if (formatOrder) {
    SortInFormatOrder(order);
  }
  for (const TGroup* g : order) {
    const auto index = static_cast<std::size_t>(g - groups.data());
    groupResources.push_back({g->Name, g->Id, GroupData(*g, firstIds[index])});
  }
}

// A PE resource tree for RT_ICON (3) and RT_GROUP_ICON (14) laid out at `rva`.
std::string ResourceTree(const std::vector<TResource>& icons, const std::vector<TResource>& groups,
                         std::uint32_t rva, std::uint32_t* groupDirectory) {
  const std::size_t n = icons.size() + groups.size();
  const std::uint32_t rootSize = 16 + 2 * 8;
  const std::uint32_t iconDir = rootSize;
  const std::uint32_t groupDir = iconDir + 16 + 8 * static_cast<std::uint32_t>(icons.size());
  const std::uint32_t langDirs = groupDir + 16 + 8 * static_cast<std::uint32_t>(groups.size());
  const std::uint32_t dataEntries = langDirs + 24 * static_cast<std::uint32_t>(n);
  std::uint32_t names = dataEntries + 16 * static_cast<std::uint32_t>(n);
  *groupDirectory = groupDir;

  std::vector<std::uint32_t> nameOffsets;
  std::string nameBlock;
  for (const TResource& g : groups) {
    nameOffsets.push_back(names + static_cast<std::uint32_t>(nameBlock.size()));
    if (!g.Name.empty()) {
      Add16(nameBlock, static_cast<std::uint16_t>(g.Name.size()));
      for (char c : g.Name) {
        Add16(nameBlock, static_cast<std::uint16_t>(c));
      }
    }
  }
  PadTo(nameBlock, 8);
  std::uint32_t dataAt = names + static_cast<std::uint32_t>(nameBlock.size());

  std::string out;
  const auto directory = [&](std::uint16_t named, std::uint16_t ids) {
    Add32(out, 0);
    Add32(out, 0);
    Add32(out, 0);
    Add16(out, named);
    Add16(out, ids);
  };
  directory(0, 2);
  Add32(out, 3);
  Add32(out, 0x80000000U | iconDir);
  Add32(out, 14);
  Add32(out, 0x80000000U | groupDir);
  directory(0, static_cast<std::uint16_t>(icons.size()));
  std::uint32_t lang = langDirs;
  for (const TResource& r : icons) {
    Add32(out, r.Id);
    Add32(out, 0x80000000U | lang);
    lang += 24;
  }
  const auto named = static_cast<std::uint16_t>(std::count_if(
      groups.begin(), groups.end(), [](const TResource& r) { return !r.Name.empty(); }));
  directory(named, static_cast<std::uint16_t>(groups.size() - named));
  for (std::size_t i = 0; i < groups.size(); ++i) {
    Add32(out, groups[i].Name.empty() ? groups[i].Id : (0x80000000U | nameOffsets[i]));
    Add32(out, 0x80000000U | lang);
    lang += 24;
  }
  for (std::size_t i = 0; i < n; ++i) {
    directory(0, 1);
    Add32(out, 1033);
    Add32(out, dataEntries + 16 * static_cast<std::uint32_t>(i));
  }
  std::string data;
  const auto addData = [&](const TResource& r) {
    Add32(out, rva + dataAt + static_cast<std::uint32_t>(data.size()));
    Add32(out, static_cast<std::uint32_t>(r.Data.size()));
    Add32(out, 0);
    Add32(out, 0);
    data += r.Data;
    PadTo(data, 8);
  };
  for (const TResource& r : icons) {
    addData(r);
  }
  for (const TResource& r : groups) {
    addData(r);
  }
  out += nameBlock;
  out += data;
  return out;
}

}  // namespace

TGroup Group(const std::vector<int>& sizes, QRgb color) {
  TGroup group;
  for (int size : sizes) {
    group.Images.push_back({size, size, 32, false, color});
  }
  return group;
}

std::vector<TGroup> NumberedGroups(int count, const std::vector<int>& sizes) {
  std::vector<TGroup> groups;
  for (int id = 1; id <= count; ++id) {
    groups.push_back(Group(sizes));
    groups.back().Id = static_cast<std::uint16_t>(id);
  }
  return groups;
}

std::string ImageData(const TImage& image) {
  return image.Png ? PngData(image) : DibData(image);
}

std::string IcoFile(const std::vector<TImage>& images, bool cursor) {
  std::string out;
  Add16(out, 0);
  Add16(out, cursor ? 2 : 1);
  Add16(out, static_cast<std::uint16_t>(images.size()));
  std::string data;
  const std::size_t dataStart = 6 + 16 * images.size();
  for (const TImage& image : images) {
    const std::string bytes = ImageData(image);
    // Cursors hold their hot spot, (0, 0), where icons hold planes and bit count.
    AddEntryHead(out, image, cursor ? 0 : 1, cursor ? 0 : DirectoryBits(image),
                 static_cast<std::uint32_t>(bytes.size()));
    Add32(out, static_cast<std::uint32_t>(dataStart + data.size()));
    data += bytes;
  }
  return out + data;
}

std::string AniFile(const std::vector<std::string>& frames, const TAniOptions& options) {
  std::string body = "ACON";
  if (options.OddChunk) {
    body += "junk";
    Add32(body, 3);
    body += "abc";
    body.push_back('\0');  // pad byte
  }
  body += "anih";
  Add32(body, 36);
  Add32(body, 36);
  Add32(body, options.Frames);
  Add32(body, options.Frames);
  for (int i = 0; i < 4; ++i) {
    Add32(body, 0);
  }
  Add32(body, options.Rate);
  Add32(body, 1);  // frames are icon files
  std::string list = "fram";
  for (const std::string& frame : frames) {
    list += "icon";
    Add32(list, static_cast<std::uint32_t>(frame.size()));
    list += frame;
    PadTo(list, 2);
  }
  body += "LIST";
  Add32(body, static_cast<std::uint32_t>(list.size()));
  body += list;
  std::string out = "RIFF";
  Add32(out, static_cast<std::uint32_t>(body.size()) + options.RiffSizeAdjust);
  return out + body;
}

std::string PeLibrary(const std::vector<TGroup>& groups, const TPeOptions& options,
                      TPeLayout* layout) {
  constexpr std::uint32_t kPeOffset = 0x80;
  constexpr std::uint32_t kFileAlign = 0x200;
  constexpr std::uint32_t kSectionAlign = 0x1000;
  const bool plus = options.Pe32Plus;
  const std::uint16_t optionalSize = plus ? 240 : 224;
  const std::uint16_t sections = options.NoResources ? 1 : 2;

  const std::uint32_t textRva = kSectionAlign;
  const std::uint32_t textRaw = kFileAlign;
  const std::uint32_t textRawSize = AlignUp(options.CodeSize, kFileAlign);
  const std::uint32_t rsrcRva = textRva + AlignUp(options.CodeSize, kSectionAlign);
  const std::uint32_t rsrcRaw = textRaw + textRawSize;

  std::vector<TResource> icons;
  std::vector<TResource> groupResources;
  CollectResources(groups, true, icons, groupResources);
  std::uint32_t groupDirectory = 0;
  const std::string tree = options.NoResources
                               ? std::string()
                               : ResourceTree(icons, groupResources, rsrcRva, &groupDirectory);
  const auto treeSize = static_cast<std::uint32_t>(tree.size());

  std::string out(kPeOffset, '\0');
  out[0] = 'M';
  out[1] = 'Z';
  Put32(out, 0x3C, kPeOffset);
  out += std::string("PE\0\0", 4);
  Add16(out, plus ? 0x8664 : 0x14C);
  Add16(out, sections);
  Add32(out, 0);
  Add32(out, 0);
  Add32(out, 0);
  Add16(out, optionalSize);
  Add16(out, plus ? 0x2022 : 0x2102);
  const std::size_t optional = out.size();
  out.resize(optional + optionalSize, '\0');
  Put16(out, optional, plus ? 0x20B : 0x10B);
  Put32(out, optional + 32, kSectionAlign);
  Put32(out, optional + 36, kFileAlign);
  Put32(out, optional + 56, rsrcRva + AlignUp(treeSize, kSectionAlign));
  Put32(out, optional + 60, kFileAlign);
  Put16(out, optional + 68, 2);
  const std::size_t dirs = optional + (plus ? 112 : 96);
  Put32(out, dirs - 4, 16);
  if (!options.NoResources) {
    const std::size_t resourceEntry = dirs + std::size_t{2} * 8;
    Put32(out, resourceEntry, rsrcRva);
    Put32(out, resourceEntry + 4, treeSize);
  }
  const auto sectionHeader = [&](const char* name, std::uint32_t vsize, std::uint32_t rva,
                                 std::uint32_t rawSize, std::uint32_t raw, std::uint32_t flags) {
    std::string n(name);
    n.resize(8, '\0');
    out += n;
    Add32(out, vsize);
    Add32(out, rva);
    Add32(out, rawSize);
    Add32(out, raw);
    Add32(out, 0);
    Add32(out, 0);
    Add32(out, 0);
    Add32(out, 0x40000040U | flags);
  };
  const auto sectionTable = static_cast<std::uint32_t>(out.size());
  sectionHeader(".text", options.CodeSize, textRva, textRawSize, textRaw, 0x20000020U);
  if (!options.NoResources) {
    sectionHeader(".rsrc", treeSize, rsrcRva, AlignUp(treeSize, kFileAlign), rsrcRaw, 0);
  }
  out.resize(textRaw, '\0');
  out.append(options.CodeSize, static_cast<char>(0xCC));
  out.resize(rsrcRaw, '\0');
  out += tree;
  PadTo(out, kFileAlign);
  if (layout != nullptr) {
    layout->PeHeader = kPeOffset;
    layout->SectionTable = sectionTable;
    layout->ResourceSection = 1;
    layout->ResourceRaw = rsrcRaw;
    layout->ResourceRva = rsrcRva;
    layout->GroupDirectory = rsrcRaw + groupDirectory;
  }
  return out;
}

std::string NeLibrary(const std::vector<TGroup>& groups, unsigned alignShift, TNeLayout* layout) {
  constexpr std::uint32_t kNeOffset = 0x40;
  constexpr std::uint32_t kNeHeaderSize = 0x40;
  std::vector<TResource> icons;
  std::vector<TResource> groupResources;
  CollectResources(groups, false, icons, groupResources);
  const std::uint32_t tableStart = kNeOffset + kNeHeaderSize;
  const std::size_t n = icons.size() + groupResources.size();
  const std::uint32_t typesSize = 2 + 2 * 8 + 12 * static_cast<std::uint32_t>(n) + 2;
  std::string names;
  std::vector<std::uint32_t> nameOffsets;
  for (const TResource& g : groupResources) {
    nameOffsets.push_back(typesSize + static_cast<std::uint32_t>(names.size()));
    if (!g.Name.empty()) {
      Add8(names, static_cast<std::uint8_t>(g.Name.size()));
      names += g.Name;
    }
  }
  const std::uint32_t tableSize = typesSize + static_cast<std::uint32_t>(names.size());
  const std::uint32_t residentNames = tableStart + tableSize;
  const std::uint32_t align = 1U << alignShift;
  std::uint32_t dataAt = AlignUp(residentNames + 1, align);

  std::string table;
  std::string data;
  Add16(table, static_cast<std::uint16_t>(alignShift));
  const auto addType = [&](std::uint16_t type, const std::vector<TResource>& resources,
                           bool useNames) {
    Add16(table, type);
    Add16(table, static_cast<std::uint16_t>(resources.size()));
    Add32(table, 0);
    for (std::size_t i = 0; i < resources.size(); ++i) {
      const TResource& r = resources[i];
      const std::uint32_t at = dataAt + static_cast<std::uint32_t>(data.size());
      Add16(table, static_cast<std::uint16_t>(at >> alignShift));
      Add16(table, static_cast<std::uint16_t>(
                       AlignUp(static_cast<std::uint32_t>(r.Data.size()), align) >> alignShift));
      Add16(table, 0x1C30);
      Add16(table, static_cast<std::uint16_t>(useNames && !r.Name.empty() ? nameOffsets[i]
                                                                          : (0x8000U | r.Id)));
      Add16(table, 0);
      Add16(table, 0);
      data += r.Data;
      PadTo(data, align);
    }
  };
  addType(0x8003, icons, false);
  addType(0x800E, groupResources, true);
  Add16(table, 0);
  table += names;

  std::string out(kNeOffset, '\0');
  out[0] = 'M';
  out[1] = 'Z';
  Put32(out, 0x3C, kNeOffset);
  std::string ne(kNeHeaderSize, '\0');
  ne[0] = 'N';
  ne[1] = 'E';
  Put16(ne, 0x24, static_cast<std::uint16_t>(kNeHeaderSize));
  Put16(ne, 0x26, static_cast<std::uint16_t>(kNeHeaderSize + tableSize));
  out += ne;
  out += table;
  out.push_back('\0');  // the empty resident-name table
  out.resize(dataAt, '\0');
  out += data;
  if (layout != nullptr) {
    layout->NeHeader = kNeOffset;
    layout->ResourceTable = tableStart;
  }
  return out;
}

void Put16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<char>(value & 0xFF);
  bytes.at(offset + 1) = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  Put16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace IconFixtures
