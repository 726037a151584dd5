#include "woxMemRecordSlots.h"

void TwoxRecordSlots::PushBack(std::unique_ptr<TwoxRecord> record) {
  if ((std::size_t(FSize) & ChunkMask) == 0 && std::size_t(FSize) >> ChunkBits == FChunks.size())
    FChunks.push_back(std::make_unique<std::unique_ptr<TwoxRecord>[]>(ChunkMask + 1));
  ++FSize;
  Set(FSize - 1, std::move(record));
}

void TwoxRecordSlots::Clear() {
  FChunks.clear();
  FSize = 0;
}
