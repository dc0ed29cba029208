#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-1 to-do record (10 fields); texts are raw Windows-1252 bytes.
struct PmTodoRecord : PmHead1 {
  std::string description;  // capacity 8192
  std::int32_t dueDate = 0;
  std::int32_t completed = 0;
  std::int32_t priority = 0;  // 1 highest to 5 lowest
  std::int32_t isPrivate = 0;
  std::int32_t categoryId = 0;
  std::string note;  // capacity 8192

  static std::span<const PmFieldSpec<PmTodoRecord>> Fields();
  friend bool operator==(const PmTodoRecord&, const PmTodoRecord&) = default;
};

// "todo.dat" of Palm Desktop before 4.1.2, and every to-do archive.
class PmTodoUtil final : public PmLoader<PmTodoRecord> {
 public:
  PmTodoUtil();
  explicit PmTodoUtil(const std::string& path);
};
