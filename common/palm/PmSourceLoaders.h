#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "misc/CxDebugUtil.h"
#include "palm/PmDBUtil.h"
#include "palm/PmEx2Port.h"
#include "palm/PmSourceBase.h"

// The log texts of one Palm source (each takes the path as its one argument).
struct PmSourceTexts {
  const char* byFile;        // loading a file starts
  const char* fileFailed;    // no loader could read the file
  const char* checkVersion;  // checking a file's generation starts
  const char* kind;          // "Calendar", "Task", ... in the file-type lines
  const char* checkFailed;   // the file is of no known generation
};

// The three loaders of one Palm database (layout 1, layout 2, the 6.x database) and what every
// source does with them alike: load one by user folder or file, the file-name rule that picks
// one, and the file-type check. The 6.x loader comes from a factory the program installs, since
// the 6.x library builds on this one.
template <class Layout1, class Layout2, class Ex2Record>
class PmSourceLoaders {
 public:
  static void SetEx2Factory(PmEx2Factory<Ex2Record> factory) { factory_ = factory; }

 protected:
  PmSourceLoaders() {
    if (factory_) layout6_ = factory_();
  }

  void ClearLoaders() {
    layout1_.Clear();
    layout2_.Clear();
    if (layout6_) layout6_->Clear();
  }

  bool LoadLayout(int layout, const std::string& path, bool byUser) {
    switch (layout) {
      case kPmLayout1:
        return byUser ? layout1_.LoadByUser(path) : layout1_.Load(path);
      case kPmLayout2:
        return byUser ? layout2_.LoadByUser(path) : layout2_.Load(path);
      case kPmLayout6x:
        if (!layout6_) {
          QM_LOG_ERROR("The Palm Desktop 6.x database loader is not available in this program.");
          return false;
        }
        return byUser ? layout6_->LoadByUser(path) : layout6_->LoadByFile(path);
      default:
        return false;
    }
  }

  // How many records the loader of `layout` holds, deleted and archived ones too.
  std::size_t LoadedRecords(int layout) const {
    switch (layout) {
      case kPmLayout1:
        return layout1_.Records().size();
      case kPmLayout2:
        return layout2_.Records().size();
      case kPmLayout6x:
        return layout6_ ? layout6_->Records().size() : 0;
      default:
        return 0;
    }
  }

  // Loads a file by its extension: ".mdb" the 6.x loader, ".dat" layout 2 and then layout 1.
  // The layout that read it, or kPmLayoutFailed.
  int LoadFile(const std::string& path, const PmSourceTexts& texts) {
    QM_LOG_INFO(texts.byFile, path.c_str());
    int layout = kPmLayoutFailed;
    switch (PmFileKindOf(path)) {
      case PmFileKind::kMdb:
        QM_LOG_INFO(".mdb file, try Palm Desktop 6.x database loader.");
        if (LoadLayout(kPmLayout6x, path, false)) layout = kPmLayout6x;
        break;
      case PmFileKind::kDat: {
        // The version word names the layout. Trying the other one first would log false errors
        // and, when both fail, give the wrong one's reason; a word of neither layout is left to
        // layout 2 to explain.
        const int named = PmDBUtil::PeekLayout(path, layout1_.Database());
        const int first = named ? named : kPmLayout2;
        QM_LOG_INFO(".dat file, try the layout-%d loader.", first);
        if (LoadLayout(first, path, false)) layout = first;
        break;
      }
      case PmFileKind::kOther:
        QM_LOG_ERROR("%s is not a Palm Desktop database: only .dat and .mdb files can be read.",
                     path.c_str());
        break;
    }
    if (layout == kPmLayoutFailed) QM_LOG_ERROR(texts.fileFailed, path.c_str());
    return layout;
  }

  // The generation of one user's database, when the Palm Desktop version is unknown (no
  // palm.exe, as in a folder copied from an old PC): the ".dat" file's version word, else the
  // ".mdb" database when that is there. kPmLayoutNone when neither is.
  int GenerationInFolder(const std::string& userFolder) const {
    const PmDatabase db = layout1_.Database();
    const std::string dat = PmDBUtil::UserFile(db, userFolder);
    if (const int layout = PmDBUtil::PeekLayout(dat, db)) {
      QM_LOG_INFO("Palm Desktop version unknown; %s is of layout %d.", dat.c_str(), layout);
      return layout;
    }
    std::error_code ec;
    // A damaged or foreign file: the layout-2 loader says what is wrong with it.
    if (std::filesystem::exists(dat, ec)) return kPmLayout2;
    // Without a 6.x loader in this program its absence is the reason.
    if (!layout6_) return kPmLayout6x;
    const std::string mdb = layout6_->UserFile(userFolder);
    if (std::filesystem::is_regular_file(mdb, ec)) {
      QM_LOG_INFO("Palm Desktop version unknown; reading the 6.x database %s.", mdb.c_str());
      return kPmLayout6x;
    }
    QM_LOG_ERROR("No Palm Desktop %s database in the user's folder %s.", layout1_.KindName(),
                 userFolder.c_str());
    return kPmLayoutNone;
  }

  // 3, 2 or 1 for the generation that reads the file; kPmLayoutFailed for none.
  static int CheckFile(const std::string& path, const PmSourceTexts& texts) {
    QM_LOG_INFO(texts.checkVersion, path.c_str());
    const char* generation = nullptr;
    int layout = kPmLayoutFailed;
    switch (PmFileKindOf(path)) {
      case PmFileKind::kMdb:
        if (factory_ && factory_()->Opens(path)) {
          generation = "6.x";
          layout = kPmLayout6x;
        }
        break;
      case PmFileKind::kDat:
        switch (PmDBUtil::PeekLayout(path, Layout1().Database())) {
          case kPmLayout2:
            if (Layout2(path).Loaded()) {
              generation = "4.1.x";
              layout = kPmLayout2;
            }
            break;
          case kPmLayout1:
            if (Layout1(path).Loaded()) {
              generation = "4.1 or earlier";
              layout = kPmLayout1;
            }
            break;
          default:
            break;
        }
        break;
      case PmFileKind::kOther:
        break;
    }
    if (generation)
      QM_LOG_INFO("Check Palm Desktop %s file type: (%s) - Palm Desktop %s", texts.kind,
                  path.c_str(), generation);
    else
      QM_LOG_ERROR(texts.checkFailed, path.c_str());
    return layout;
  }

  Layout1 layout1_;
  Layout2 layout2_;
  std::unique_ptr<PmEx2Port<Ex2Record>> layout6_;

 private:
  static inline PmEx2Factory<Ex2Record> factory_ = nullptr;
};
