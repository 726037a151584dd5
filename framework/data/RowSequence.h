#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

// The rows of a dataset in their order, each with a positive int Id unique among them. Inserting
// or erasing at any position and finding a row's position by its id cost O(log n) plus the work
// of one chunk: rows lie in chunks of at most 2 * ChunkRows, a tree of running counts (Fenwick)
// finds the chunk of a position, and a table by id gives the chunk of a row (made at the first
// look-up by id: a fetch that never asks needs none). Walking positions in order costs O(1) each,
// because the chunk last found is remembered.
template <class TRow> class TRowSequence {
public:
  std::size_t size() const { return FSize; }
  TRow &operator[](std::size_t position) { return const_cast<TRow &>(std::as_const(*this)[position]); }
  const TRow &operator[](std::size_t position) const {
    const auto [chunk, offset] = Locate(position);
    return FChunks[chunk]->Rows[offset];
  }

  void clear() {
    FChunks.clear();
    FCounts.assign(1, 0);
    FChunkOfId.clear();
    FIdsTabled = false;
    FSize = 0;
    FHitChunk = NoChunk;
  }
  void push_back(TRow row) { insert(FSize, std::move(row)); }
  void insert(std::size_t position, TRow row);
  void erase(std::size_t position);
  // The position of the row with this id; -1 when there is none.
  long IndexOfId(int id) const;

private:
  static constexpr std::size_t ChunkRows = 256;
  static constexpr std::size_t NoChunk = std::size_t(-1);
  struct TChunk {
    std::vector<TRow> Rows;
    std::size_t Ordinal = 0; // its position among the chunks
  };

  // The chunk holding the position and the position within it.
  std::pair<std::size_t, std::size_t> Locate(std::size_t position) const;
  // The number of rows in the chunks before this one.
  std::size_t RowsBefore(std::size_t chunk) const;
  void AddCount(std::size_t chunk, long delta);
  void AppendChunk();
  // Renumbers the chunks and rebuilds the counts after a chunk came or went.
  void Rebuild();
  void Split(std::size_t chunk);
  // Moves the rows of chunk + 1 to the end of chunk and drops it.
  void MergeWithNext(std::size_t chunk);
  // Notes the chunk of a row in the table by id, when there is one.
  void Own(TChunk *chunk, const TRow &row) const;

  std::vector<std::unique_ptr<TChunk>> FChunks;
  std::vector<long> FCounts = std::vector<long>(1, 0); // 1-based Fenwick tree over the chunk sizes
  mutable std::vector<TChunk *> FChunkOfId;            // by id; null for ids not in the sequence
  mutable bool FIdsTabled = false;
  std::size_t FSize = 0;
  mutable std::size_t FHitChunk = NoChunk, FHitStart = 0;
};

template <class TRow>
std::pair<std::size_t, std::size_t> TRowSequence<TRow>::Locate(std::size_t position) const {
  // A walk in order stays in the chunk last found or moves to the next one.
  for (int tries = 0; tries < 2 && FHitChunk < FChunks.size(); ++tries) {
    const std::size_t rows = FChunks[FHitChunk]->Rows.size();
    if (position >= FHitStart && position - FHitStart < rows)
      return {FHitChunk, position - FHitStart};
    if (position < FHitStart + rows || FHitChunk + 1 == FChunks.size())
      break;
    FHitStart += rows;
    ++FHitChunk;
  }
  std::size_t chunk = 0, start = 0, step = 1;
  while (step * 2 < FCounts.size())
    step *= 2;
  for (; step; step /= 2)
    if (chunk + step < FCounts.size() && start + std::size_t(FCounts[chunk + step]) <= position) {
      chunk += step;
      start += std::size_t(FCounts[chunk]);
    }
  FHitChunk = chunk;
  FHitStart = start;
  return {chunk, position - start};
}

template <class TRow> std::size_t TRowSequence<TRow>::RowsBefore(std::size_t chunk) const {
  long sum = 0;
  for (std::size_t i = chunk; i > 0; i -= i & (~i + 1))
    sum += FCounts[i];
  return std::size_t(sum);
}

template <class TRow> void TRowSequence<TRow>::AddCount(std::size_t chunk, long delta) {
  for (std::size_t i = chunk + 1; i < FCounts.size(); i += i & (~i + 1))
    FCounts[i] += delta;
}

template <class TRow> void TRowSequence<TRow>::AppendChunk() {
  auto chunk = std::make_unique<TChunk>();
  chunk->Ordinal = FChunks.size();
  chunk->Rows.reserve(ChunkRows);
  FChunks.push_back(std::move(chunk));
  // The new node covers chunks (i - lowbit(i), i]; the last of them is still empty.
  const std::size_t i = FChunks.size();
  FCounts.push_back(long(RowsBefore(i - 1)) - long(RowsBefore(i - (i & (~i + 1)))));
}

template <class TRow> void TRowSequence<TRow>::Rebuild() {
  FCounts.assign(FChunks.size() + 1, 0);
  for (std::size_t i = 1; i <= FChunks.size(); ++i) {
    FChunks[i - 1]->Ordinal = i - 1;
    FCounts[i] += long(FChunks[i - 1]->Rows.size());
    const std::size_t parent = i + (i & (~i + 1));
    if (parent < FCounts.size())
      FCounts[parent] += FCounts[i];
  }
  FHitChunk = NoChunk;
}

template <class TRow> void TRowSequence<TRow>::Own(TChunk *chunk, const TRow &row) const {
  if (!FIdsTabled)
    return;
  const auto id = std::size_t(row.Id);
  if (id >= FChunkOfId.size())
    FChunkOfId.resize(id + 1);
  FChunkOfId[id] = chunk;
}

template <class TRow> void TRowSequence<TRow>::insert(std::size_t position, TRow row) {
  std::size_t chunk, offset;
  if (position == FSize) {
    if (FChunks.empty() || FChunks.back()->Rows.size() >= 2 * ChunkRows)
      AppendChunk();
    chunk = FChunks.size() - 1;
    offset = FChunks[chunk]->Rows.size();
  } else {
    std::tie(chunk, offset) = Locate(position);
  }
  TChunk *target = FChunks[chunk].get();
  Own(target, row);
  target->Rows.insert(target->Rows.begin() + long(offset), std::move(row));
  AddCount(chunk, 1);
  ++FSize;
  if (target->Rows.size() > 2 * ChunkRows)
    Split(chunk);
  else if (chunk != FHitChunk)
    FHitChunk = NoChunk;
}

template <class TRow> void TRowSequence<TRow>::Split(std::size_t chunk) {
  auto upper = std::make_unique<TChunk>();
  std::vector<TRow> &rows = FChunks[chunk]->Rows;
  upper->Rows.reserve(2 * ChunkRows);
  std::move(rows.begin() + long(rows.size() / 2), rows.end(), std::back_inserter(upper->Rows));
  rows.resize(rows.size() / 2);
  for (const TRow &row : upper->Rows)
    Own(upper.get(), row);
  FChunks.insert(FChunks.begin() + long(chunk) + 1, std::move(upper));
  Rebuild();
}

template <class TRow> void TRowSequence<TRow>::MergeWithNext(std::size_t chunk) {
  std::vector<TRow> &rows = FChunks[chunk]->Rows;
  for (TRow &row : FChunks[chunk + 1]->Rows) {
    Own(FChunks[chunk].get(), row);
    rows.push_back(std::move(row));
  }
  FChunks.erase(FChunks.begin() + long(chunk) + 1);
  Rebuild();
}

template <class TRow> void TRowSequence<TRow>::erase(std::size_t position) {
  const auto [chunk, offset] = Locate(position);
  std::vector<TRow> &rows = FChunks[chunk]->Rows;
  Own(nullptr, rows[offset]);
  rows.erase(rows.begin() + long(offset));
  AddCount(chunk, -1);
  --FSize;
  FHitChunk = NoChunk;
  // Neighbours small enough to share a chunk do, so chunks stay few however rows come and go.
  if (rows.empty()) {
    FChunks.erase(FChunks.begin() + long(chunk));
    Rebuild();
  } else if (chunk + 1 < FChunks.size() && rows.size() + FChunks[chunk + 1]->Rows.size() <= ChunkRows) {
    MergeWithNext(chunk);
  } else if (chunk > 0 && rows.size() + FChunks[chunk - 1]->Rows.size() <= ChunkRows) {
    MergeWithNext(chunk - 1);
  }
}

template <class TRow> long TRowSequence<TRow>::IndexOfId(int id) const {
  if (!FIdsTabled) {
    FIdsTabled = true;
    for (const auto &chunk : FChunks)
      for (const TRow &row : chunk->Rows)
        Own(chunk.get(), row);
  }
  if (id < 1 || std::size_t(id) >= FChunkOfId.size() || !FChunkOfId[std::size_t(id)])
    return -1;
  const TChunk &chunk = *FChunkOfId[std::size_t(id)];
  for (std::size_t i = 0; i < chunk.Rows.size(); ++i)
    if (chunk.Rows[i].Id == id)
      return long(RowsBefore(chunk.Ordinal) + i);
  return -1;
}
