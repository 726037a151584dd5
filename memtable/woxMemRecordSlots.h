#pragma once

#include "woxMemRecord.h"

#include <memory>
#include <utility>
#include <vector>

// The store's records by record id (an empty slot after a delete), in chunks of a fixed number of
// slots: growing never copies the slots already there, so a load holds no second list at its peak
// and the list never needs compacting.
class TwoxRecordSlots {
public:
  TwoxRecordSlots() = default;
  TwoxRecordSlots(TwoxRecordSlots &&other) noexcept
      : FChunks(std::move(other.FChunks)), FSize(std::exchange(other.FSize, 0)) {}
  TwoxRecordSlots &operator=(TwoxRecordSlots &&other) noexcept {
    FChunks = std::move(other.FChunks);
    other.FChunks.clear();
    FSize = std::exchange(other.FSize, 0);
    return *this;
  }

  int Size() const { return FSize; }
  // nullptr for an empty slot or an id out of range.
  TwoxRecord *Get(int id) const {
    if (id < 0 || id >= FSize)
      return nullptr;
    return FChunks[std::size_t(id) >> ChunkBits][std::size_t(id) & ChunkMask].get();
  }
  void PushBack(std::unique_ptr<TwoxRecord> record);
  // Puts record into the slot of an id below Size(), freeing what was there.
  void Set(int id, std::unique_ptr<TwoxRecord> record) {
    FChunks[std::size_t(id) >> ChunkBits][std::size_t(id) & ChunkMask] = std::move(record);
  }
  void Clear();

private:
  static constexpr int ChunkBits = 10;
  static constexpr std::size_t ChunkMask = (std::size_t(1) << ChunkBits) - 1;
  using TChunk = std::unique_ptr<std::unique_ptr<TwoxRecord>[]>;
  std::vector<TChunk> FChunks;
  int FSize = 0;
};
