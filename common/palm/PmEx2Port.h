#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "misc/CxLoadReport.h"

// The 6.x (".mdb") loaders live in a library that builds on this one, so the sources cannot call
// them directly. A program that links them plugs each in through one of these ports (see
// PmEx2PortOf); without a port, the 6.x generation fails to load with a log line.

// One entry of a Palm field table for the custom field map.
struct PmFieldEntry {
  static constexpr std::int32_t kText = 1;
  static constexpr std::int32_t kIntegerDate = 5;
  static constexpr std::int32_t kRealDate = 6;

  std::int32_t id;  // from 1
  const char* label;
  std::int32_t type;
  std::int32_t size;  // capacity in bytes, terminator included
};

template <class Rec>
class PmEx2Port {
 public:
  virtual ~PmEx2Port() = default;
  virtual bool LoadByUser(const std::string& userFolder) = 0;
  virtual bool LoadByFile(const std::string& path) = 0;
  // The database's file in a user's data folder.
  virtual std::string UserFile(const std::string& userFolder) const = 0;
  // Whether the database opens, without reading its records.
  virtual bool Opens(const std::string& path) = 0;
  virtual const std::vector<Rec>& Records() const = 0;
  virtual void Clear() = 0;
  // Where the last load stopped, when it kept only part of the database.
  virtual CxLoadReport Report() const { return {}; }
  // Contacts only: the custom-map field table and the text of one entry in a record.
  virtual std::span<const PmFieldEntry> FieldTable() const { return {}; }
  virtual std::string FieldText(Rec&, std::int32_t) const { return {}; }
};

template <class Rec>
using PmEx2Factory = std::unique_ptr<PmEx2Port<Rec>> (*)();

template <class Loader>
class PmEx2PortOf final : public PmEx2Port<typename Loader::Record> {
 public:
  using Rec = typename Loader::Record;

  static std::unique_ptr<PmEx2Port<Rec>> Make() { return std::make_unique<PmEx2PortOf>(); }

  bool LoadByUser(const std::string& userFolder) override { return loader_.LoadByUser(userFolder); }
  bool LoadByFile(const std::string& path) override { return loader_.LoadByFile(path); }
  std::string UserFile(const std::string& userFolder) const override {
    return loader_.UserFile(userFolder);
  }
  bool Opens(const std::string& path) override {
    Loader probe;
    return probe.Open(path);
  }
  const std::vector<Rec>& Records() const override { return loader_.Records(); }
  CxLoadReport Report() const override { return loader_.Report(); }
  void Clear() override { loader_.Clear(); }
  std::span<const PmFieldEntry> FieldTable() const override {
    if constexpr (requires { Loader::FieldTable(); }) {
      static const std::vector<PmFieldEntry> table = [] {
        std::vector<PmFieldEntry> t;
        for (const auto& f : Loader::FieldTable()) t.push_back({f.id, f.label, f.type, f.size});
        return t;
      }();
      return table;
    } else {
      return {};
    }
  }
  std::string FieldText(Rec& rec, std::int32_t id) const override {
    if constexpr (requires { Loader::FieldText(rec, id); }) {
      return Loader::FieldText(rec, id);
    } else {
      return {};
    }
  }

 private:
  Loader loader_;
};
