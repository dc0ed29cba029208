#pragma once

#include <string>

#include "misc/CxLoadReport.h"

// What the engine sees of a connector, whatever application it speaks to: it is configured by its
// own setters, then reset and loaded, and it tells what the last load kept or why it failed.
class CxConnector {
 public:
  virtual ~CxConnector() = default;

  // Empties the connector before it loads again.
  virtual void Reset() = 0;
  // False on failure, with Report().reason for the person.
  virtual bool Load() = 0;
  virtual const CxLoadReport& Report() const = 0;
};

// A source of one data type: loads into a record manager, which owns what it loaded.
template <class Manager>
class CxSource : public CxConnector {
 public:
  virtual Manager& Records() = 0;
};

// A target of one data type: a source that also takes changes and sends them in one go.
template <class Manager>
class CxTarget : public CxSource<Manager> {
 public:
  using Record = typename Manager::Record;

  // Matches the record again against what the target holds: a differing counterpart is updated,
  // none makes a new record, an unchanged one is skipped (false).
  virtual bool Stage(const Record& record) = 0;
  // Sends what was staged. False with the reason for the person.
  virtual bool Submit(std::string& reason) = 0;
};
