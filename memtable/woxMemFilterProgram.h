#pragma once

#include <QString>
#include <memory>
#include <vector>

class TwoxCommon;
class TwoxRecord;
struct TFilterNode;

// A parsed filter made only of comparisons between a stored text or whole-number field and a
// constant, IS NULL, IS NOT NULL, AND, OR and NOT, turned into a test of a stored record's bytes: the
// constant is prepared once, no value is decoded into a string and the table's state stays as it is.
// It answers exactly what EvaluateFilter answers through the fields.
class TwoxFilterProgram {
public:
  // nullptr when the tree holds anything else (functions, arithmetic, LIKE, IN, other types,
  // calculated fields), which the general evaluation handles.
  static std::unique_ptr<TwoxFilterProgram> Compile(const TFilterNode &root, const TwoxCommon &store);
  ~TwoxFilterProgram();

  bool Accepts(const TwoxRecord &record) const;
  // The record layout the program reads; it holds while the store's layout serial is the same.
  unsigned LayoutSerial() const { return FLayoutSerial; }

  struct TStep;

private:
  TwoxFilterProgram(const TwoxCommon &store, std::unique_ptr<TStep> root);

  const TwoxCommon &FStore;
  std::unique_ptr<TStep> FRoot;
  unsigned FLayoutSerial;
};
