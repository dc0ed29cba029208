#pragma once

#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "misc/CxList.h"
#include "misc/FieldMatch.h"
#include "misc/RecordStatus.h"

// A record manager: owns one side's records of one type, finds counterparts and marks records
// same, new or different. `Traits` gives the record type, its key and compare lists, how each
// field code takes part in matching (Extract) and what UpdateAt copies (Update).
//
// Lookup gives exactly the answer of the reference linear scan (LookupLinear, kept as the
// reference) from an index: records are grouped by key equality and, within a group, by compare
// equality. The first member of the incoming record's compare class is the first "same"
// counterpart the scan would meet; failing that, the group's last member is the scan's last
// candidate. Both equalities are equivalence relations, which is what makes the grouping exact.
//
// Stored records' key and compare fields may be changed only through UpdateAt, which keeps the
// index in step.
template <class Traits>
class CommMgr {
 public:
  using Record = typename Traits::Record;

  CommMgr() = default;
  CommMgr(const CommMgr&) = delete;
  CommMgr& operator=(const CommMgr&) = delete;
  ~CommMgr() { Clear(); }

  // Stores a copy of the record (its owned native record is copied with it).
  Record* Add(const Record* record) {
    if (!record) return nullptr;
    Record* copy = new (std::nothrow) Record(*record);
    if (!copy) return nullptr;
    try {
      list_.Append(copy);
      if (indexed_) IndexInsert(static_cast<std::int32_t>(list_.Count() - 1));
    } catch (const std::bad_alloc&) {
      // The list may already hold it; drop the index rather than leave it half-updated.
      if (list_.Count() == 0 || list_.Peek(list_.Count() - 1) != copy) delete copy;
      DropIndex();
      return nullptr;
    }
    return copy;
  }

  std::uint32_t Count() const { return list_.Count(); }
  Record* First() { return list_.First(); }
  Record* Next() { return list_.Next(); }
  Record* At(std::int32_t position) {
    return position < 0 ? nullptr : list_.At(static_cast<std::uint32_t>(position));
  }
  const Record* Peek(std::int32_t position) const {
    return position < 0 ? nullptr : list_.Peek(static_cast<std::uint32_t>(position));
  }

  int Lookup(const Record* record, const Record** counterpart, std::int32_t* position) const {
    if (counterpart) *counterpart = nullptr;
    if (position) *position = 0;
    if (!record) return kLookupNull;
    if (!indexed_) BuildIndex();
    const Record* found = nullptr;
    std::int32_t pos = static_cast<std::int32_t>(list_.Count());
    int result = kLookupNew;
    if (const Group* g = FindGroup(*record, KeyHash(*record))) {
      std::uint64_t ch = ClassHash(GroupId(g), *record);
      if (const Class* c = FindClass(GroupId(g), *record, ch)) {
        pos = c->members.front();
        result = kLookupSame;
      } else {
        pos = g->members.back();
        result = kLookupDiff;
      }
      found = Peek(pos);
    }
    if (counterpart) *counterpart = found;
    if (position) *position = pos;
    return result;
  }

  // The reference scan, record by record; what the index is held to.
  int LookupLinear(const Record* record, const Record** counterpart, std::int32_t* position) const {
    if (counterpart) *counterpart = nullptr;
    if (position) *position = 0;
    if (!record) return kLookupNull;
    bool candidate = false;
    std::int32_t last = 0;
    for (std::uint32_t i = 0; i < list_.Count(); ++i) {
      const Record* q = list_.Peek(i);
      auto pos = static_cast<std::int32_t>(i);
      if (q == record) {
        if (counterpart) *counterpart = q;
        if (position) *position = pos;
        return kLookupSame;
      }
      if (FieldsEqual(*record, *q, Traits::kKeys)) {
        if (counterpart) *counterpart = q;
        if (FieldsEqual(*record, *q, Traits::kCompare)) {
          if (position) *position = pos;
          return kLookupSame;
        }
        candidate = true;
        last = pos;
      }
    }
    if (candidate) {
      if (position) *position = last;
      return kLookupDiff;
    }
    if (position) *position = static_cast<std::int32_t>(list_.Count());
    return kLookupNew;
  }

  bool MarkAgainst(const CommMgr* other) { return Mark(other, false); }
  bool MarkAgainstLinear(const CommMgr* other) { return Mark(other, true); }

  bool UpdateAt(const Record* record, std::int32_t position) {
    if (!record || position < 0 || static_cast<std::uint32_t>(position) >= list_.Count())
      return false;
    Record* stored = list_.At(static_cast<std::uint32_t>(position));
    if (!stored) return false;
    if (indexed_) IndexRemove(position);
    Traits::Update(*stored, *record);
    if (indexed_) IndexInsert(position);
    return true;
  }

  void Clear() {
    list_.RemoveAll(true);
    DropIndex();
  }

  // The key and compare equality the scan uses (exposed for tests).
  static bool KeysEqual(const Record& a, const Record& b) {
    return FieldsEqual(a, b, Traits::kKeys);
  }
  static bool CompareEqual(const Record& a, const Record& b) {
    return FieldsEqual(a, b, Traits::kCompare);
  }

 private:
  struct Group {
    std::vector<std::int32_t> members;  // ascending positions
  };
  struct Class {
    std::vector<std::int32_t> members;  // ascending positions
  };

  template <class List>
  static bool FieldsEqual(const Record& a, const Record& b, const List& codes) {
    if (codes.empty()) return false;
    for (std::uint32_t code : codes)
      if (!MatchEqual(Traits::Extract(a, code), Traits::Extract(b, code))) return false;
    return true;
  }
  template <class List>
  static std::uint64_t Hash(const Record& r, const List& codes) {
    MatchHasher h;
    for (std::uint32_t code : codes) h.Add(Traits::Extract(r, code));
    return h.Value();
  }
  static std::uint64_t KeyHash(const Record& r) { return Hash(r, Traits::kKeys); }
  static std::uint64_t ClassHash(std::uint32_t group, const Record& r) {
    return Hash(r, Traits::kCompare) ^ (static_cast<std::uint64_t>(group) * 0x9E3779B97F4A7C15ULL);
  }

  bool Mark(const CommMgr* other, bool linear) {
    if (!other) return false;
    for (std::uint32_t i = 0; i < list_.Count(); ++i) {
      Record* r = list_.Peek(i);
      const Record* match = nullptr;
      int result =
          linear ? other->LookupLinear(r, &match, nullptr) : other->Lookup(r, &match, nullptr);
      r->Status = result == kLookupNew    ? kStatusNew
                  : result == kLookupDiff ? kStatusDiff
                                          : kStatusSame;
      r->MatchedRecord = match;
    }
    return true;
  }

  std::uint32_t GroupId(const Group* g) const {
    return static_cast<std::uint32_t>(g - groups_.data());
  }

  const Group* FindGroup(const Record& r, std::uint64_t hash) const {
    auto [b, e] = groupsByHash_.equal_range(hash);
    for (auto it = b; it != e; ++it) {
      const Group& g = groups_[it->second];
      if (!g.members.empty() && KeysEqual(r, *Peek(g.members.front()))) return &g;
    }
    return nullptr;
  }
  const Class* FindClass(std::uint32_t group, const Record& r, std::uint64_t hash) const {
    auto [b, e] = classesByHash_.equal_range(hash);
    for (auto it = b; it != e; ++it) {
      const Class& c = classes_[it->second];
      if (!c.members.empty() && groupOf_[static_cast<std::size_t>(c.members.front())] == group &&
          CompareEqual(r, *Peek(c.members.front())))
        return &c;
    }
    return nullptr;
  }

  // Finds the entry of `map` under `hash` whose members satisfy `same`, or reuses an emptied one
  // (an empty group or class stands for no key), or makes a new one.
  template <class Slot, class Same>
  static std::uint32_t Place(std::unordered_multimap<std::uint64_t, std::uint32_t>& map,
                             std::vector<Slot>& slots, std::uint64_t hash, Same same) {
    std::uint32_t vacant = UINT32_MAX;
    auto [b, e] = map.equal_range(hash);
    for (auto it = b; it != e; ++it) {
      Slot& s = slots[it->second];
      if (s.members.empty()) {
        if (vacant == UINT32_MAX) vacant = it->second;
      } else if (same(s.members.front())) {
        return it->second;
      }
    }
    if (vacant != UINT32_MAX) return vacant;
    slots.emplace_back();
    auto id = static_cast<std::uint32_t>(slots.size() - 1);
    map.emplace(hash, id);
    return id;
  }

  static void InsertSorted(std::vector<std::int32_t>& v, std::int32_t pos) {
    if (v.empty() || v.back() < pos)
      v.push_back(pos);
    else
      v.insert(std::lower_bound(v.begin(), v.end(), pos), pos);
  }
  static void EraseSorted(std::vector<std::int32_t>& v, std::int32_t pos) {
    auto it = std::lower_bound(v.begin(), v.end(), pos);
    if (it != v.end() && *it == pos) v.erase(it);
  }

  void IndexInsert(std::int32_t pos) const {
    const Record& r = *Peek(pos);
    std::uint32_t g = Place(groupsByHash_, groups_, KeyHash(r),
                            [&](std::int32_t m) { return KeysEqual(r, *Peek(m)); });
    auto upos = static_cast<std::size_t>(pos);
    if (groupOf_.size() <= upos) {
      groupOf_.resize(upos + 1, UINT32_MAX);
      classOf_.resize(upos + 1, UINT32_MAX);
    }
    // Set before placing the class: FindClass checks a class's group through its first member.
    groupOf_[upos] = g;
    std::uint32_t c = Place(classesByHash_, classes_, ClassHash(g, r), [&](std::int32_t m) {
      return groupOf_[static_cast<std::size_t>(m)] == g && CompareEqual(r, *Peek(m));
    });
    InsertSorted(groups_[g].members, pos);
    InsertSorted(classes_[c].members, pos);
    classOf_[upos] = c;
  }

  void IndexRemove(std::int32_t pos) const {
    auto upos = static_cast<std::size_t>(pos);
    EraseSorted(groups_[groupOf_[upos]].members, pos);
    EraseSorted(classes_[classOf_[upos]].members, pos);
  }

  void BuildIndex() const {
    DropIndex();
    groupsByHash_.reserve(list_.Count());
    classesByHash_.reserve(list_.Count());
    groupOf_.reserve(list_.Count());
    classOf_.reserve(list_.Count());
    for (std::uint32_t i = 0; i < list_.Count(); ++i) IndexInsert(static_cast<std::int32_t>(i));
    indexed_ = true;
  }

  void DropIndex() const {
    indexed_ = false;
    groupsByHash_.clear();
    classesByHash_.clear();
    groups_.clear();
    classes_.clear();
    groupOf_.clear();
    classOf_.clear();
  }

  CxList<Record> list_;
  // The index is a cache of the list: built at the first lookup, kept in step by Add and UpdateAt.
  mutable bool indexed_ = false;
  mutable std::unordered_multimap<std::uint64_t, std::uint32_t> groupsByHash_;
  mutable std::unordered_multimap<std::uint64_t, std::uint32_t> classesByHash_;
  mutable std::vector<Group> groups_;
  mutable std::vector<Class> classes_;
  mutable std::vector<std::uint32_t> groupOf_;
  mutable std::vector<std::uint32_t> classOf_;
};
