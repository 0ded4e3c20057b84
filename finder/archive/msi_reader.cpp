// The package's files come from four tables: File (key, Component_,
// FileName "short|long", FileSize, Attributes), Component (key, Directory_),
// Directory (key, Directory_Parent, DefaultDir "target:source", each part
// "short|long") and Media (Cabinet: "#stream" for a cabinet inside the
// package). The stamps are read from the embedded cabinets' file records by
// the Cabinet reader's walk; nothing else of a cabinet is read.
#include "finder/archive/msi_reader.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "finder/archive/cab_reader.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/msi_database.h"
#include "finder/archive/utf8_member_name.h"

namespace {

// The installer's read-only, hidden and system bits are the platform's.
constexpr std::uint32_t kFileAttributeMask = kAttrReadOnly | kAttrHidden | kAttrSystem;
constexpr DosDateTime kNoStamp{0x0021, 0};  // 1980-01-01 00:00:00
constexpr std::uint32_t kUtf8CodePage = 65001;
// A path of 260 characters holds no more folders than this; a deeper one
// is a loop.
constexpr std::size_t kDepthLimit = 130;
// File keys are identifiers of at most 72 characters.
constexpr std::size_t kCabNameRoom = 256;
// Where a merge module keeps its cabinet: it has no Media table.
constexpr std::string_view kModuleCabinet = "MergeModule.CABinet";

class StampCollector final : public CabFileVisitor {
 public:
  bool Visit(const CabFileRecord& record, std::string_view name) override {
    stamps.emplace(name, record.stamp);
    return true;
  }
  std::unordered_map<std::string, DosDateTime> stamps;
};

// The stamps of the cabinets inside the package, by file key. A damaged
// cabinet gives what it gave up to the damage.
StampCollector CabinetStamps(CompoundFile& package, const MsiDatabase& database,
                             const MsiTable& media) {
  std::vector<const CompoundEntry*> cabinets;
  const auto add = [&](const CompoundEntry* stream) {
    if (stream && std::find(cabinets.begin(), cabinets.end(), stream) == cabinets.end())
      cabinets.push_back(stream);
  };
  if (const auto column = media.Find("Cabinet")) {
    for (std::size_t row = 0; row < media.rows(); ++row) {
      std::string_view name;
      if (database.strings().Get(media.Raw(row, *column), name) && name.starts_with('#'))
        add(database.Stream(name.substr(1)));
    }
  }
  add(database.Stream(kModuleCabinet));
  StampCollector collector;
  for (const CompoundEntry* stream : cabinets) {
    CompoundStreamSource cabinet(package, *stream);
    std::uint8_t header[kCabHeaderSize];
    char room[kCabNameRoom];
    if (cabinet.Read(header, sizeof header) == sizeof header && IsCabinetHeader(header))
      WalkCabFiles(cabinet, header, room, collector);
  }
  return collector;
}

// The long part of "short|long", or the whole.
std::string_view LongPart(std::string_view name, LeadByteTest isLeadByte) {
  const std::size_t bar = LastSeparator(name, '|', isLeadByte);
  return bar == std::string_view::npos ? name : name.substr(bar + 1);
}

// The folders of the Directory table, for /W.
class Folders {
 public:
  Folders(const MsiStringPool& strings, LeadByteTest isLeadByte)
      : strings_(strings), isLeadByte_(isLeadByte) {}
  bool Load(MsiDatabase& database);
  // The path of the folder of the component `component` (a string id), each
  // folder followed by "\"; false on a loop or a folder that is missing.
  bool PathOf(std::uint32_t component, std::string& path) const;

 private:
  const MsiStringPool& strings_;
  LeadByteTest isLeadByte_;
  MsiTable components_, directories_;
  std::size_t componentDirectory_ = 0, parent_ = 0, defaultDir_ = 0;
  std::unordered_map<std::uint32_t, std::size_t> componentRows_, directoryRows_;
};

bool Folders::Load(MsiDatabase& database) {
  if (!database.LoadTable("Component", components_) ||
      !database.LoadTable("Directory", directories_))
    return false;
  const auto component = components_.Find("Component");
  const auto componentDirectory = components_.Find("Directory_");
  const auto directory = directories_.Find("Directory");
  const auto parent = directories_.Find("Directory_Parent");
  const auto defaultDir = directories_.Find("DefaultDir");
  if (!component || !componentDirectory || !directory || !parent || !defaultDir) return false;
  componentDirectory_ = *componentDirectory;
  parent_ = *parent;
  defaultDir_ = *defaultDir;
  // Keys are string ids: the pool holds each string once.
  for (std::size_t row = 0; row < components_.rows(); ++row)
    componentRows_.emplace(components_.Raw(row, *component), row);
  for (std::size_t row = 0; row < directories_.rows(); ++row)
    directoryRows_.emplace(directories_.Raw(row, *directory), row);
  return true;
}

bool Folders::PathOf(std::uint32_t component, std::string& path) const {
  const auto found = componentRows_.find(component);
  if (found == componentRows_.end()) return false;
  std::uint32_t folder = components_.Raw(found->second, componentDirectory_);
  std::vector<std::string_view> names;
  for (std::size_t depth = 0;; ++depth) {
    const auto row = directoryRows_.find(folder);
    if (depth > kDepthLimit || row == directoryRows_.end()) return false;
    const std::uint32_t parent = directories_.Raw(row->second, parent_);
    // The root (TARGETDIR, named SourceDir) stands for the installation's
    // drive: no part of the path.
    if (parent == 0 || parent == folder) break;
    std::string_view name;
    if (!strings_.Get(directories_.Raw(row->second, defaultDir_), name)) return false;
    // The target part of "target:source"; ':' is never a second byte.
    name = LongPart(name.substr(0, name.find(':')), isLeadByte_);
    if (!name.empty() && name != ".") names.push_back(name);
    folder = parent;
  }
  path.clear();
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    path += *name;
    path += '\\';
  }
  return true;
}

}  // namespace

void ListMsiMembers(ByteSource& file, std::span<const std::uint8_t> firstHeader,
                    const MemberReading& reading) {
  MemberList& listing = reading.listing;
  const SearchOptions& options = listing.options();
  CompoundFile package(file);
  MsiDatabase database(package);
  MsiTable files, media;
  if (!package.Open(firstHeader) || !database.Open() || !database.LoadTable("File", files) ||
      !database.LoadTable("Media", media))
    return;
  const auto key = files.Find("File"), component = files.Find("Component_");
  const auto fileName = files.Find("FileName"), fileSize = files.Find("FileSize");
  const auto attributes = files.Find("Attributes");
  if (!key || !component || !fileName || !fileSize || !attributes) return;
  const MsiStringPool& strings = database.strings();
  const bool utf8 = strings.codePage() == kUtf8CodePage;
  // Strings are in the database's code page, 0 for one that holds ASCII
  // only; a code page named with /K wins, as for every kind.
  ByteNameCodes codes = ByteNameCodesOf(reading);
  if (!codes.decode && reading.fromCodePage && strings.codePage() != 0 &&
      strings.codePage() != options.ansiCodePage)
    codes = {MemberNameLeadByteTest(strings.codePage()), strings.codePage(), reading.fromCodePage};
  const LeadByteTest isLeadByte = utf8 ? nullptr : codes.isLeadByte;
  Folders folders(strings, isLeadByte);
  if (options.wholeMemberPaths && !folders.Load(database)) return;
  const StampCollector cabinets = CabinetStamps(package, database, media);

  const auto room = MakeMemberNameRoom();
  std::string name, path;
  for (std::size_t row = 0; row < files.rows(); ++row) {
    std::string_view stored, fileKey;
    if (!strings.Get(files.Raw(row, *fileName), stored) ||
        !strings.Get(files.Raw(row, *key), fileKey))
      return;
    // Sizes are 32-bit: one past 2 GiB reads as what it is.
    const std::uint64_t size = static_cast<std::uint32_t>(files.Integer(row, *fileSize));
    const auto attributeBits =
        static_cast<std::uint32_t>(files.Integer(row, *attributes)) & kFileAttributeMask;
    const auto found = cabinets.stamps.find(std::string(fileKey));
    const DosDateTime stamp = found == cabinets.stamps.end() ? kNoStamp : found->second;
    if (!MemberPassesFilters(options, stamp.date, stamp.time, size, attributeBits)) continue;
    const std::string_view part = LongPart(stored.substr(0, stored.find('\0')), isLeadByte);
    name.assign(part);
    std::string_view listed;
    if (utf8 ? !MatchUtf8Name(listing.pattern(), name.c_str(), *room, listed)
             : !MatchCodePageName(listing.pattern(), name, codes, *room, listed))
      continue;
    if (options.wholeMemberPaths) {
      if (!folders.PathOf(files.Raw(row, *component), path)) return;
      path += part;
      if (utf8 ? !ListUtf8Path(path.c_str(), *room, listed)
               : !ListCodePagePath(path, codes, *room, listed))
        continue;
    }
    if (!listing.List({listed, UnpackDosDateTime(stamp, kMemberYearBits), size, attributeBits}))
      return;
  }
}
