#include "IBBlob.h"

#include "IBDatabase.h"
#include "IBError.h"
#include "IBTransaction.h"

namespace IBBlob {

namespace {

constexpr int kSegmentSize = 32 * 1024 - 1;

// Closes the blob when an error leaves it open.
struct TBlobHandle {
  isc_blob_handle Handle = 0;
  ~TBlobHandle() {
    if (Handle) {
      TIBStatus ignored;
      isc_cancel_blob(&ignored, &Handle);
    }
  }
};

} // namespace

QByteArray Read(TIBDatabase &database, TIBTransaction &transaction, ISC_QUAD id) {
  TIBStatus status;
  TBlobHandle blob;
  isc_open_blob2(&status, database.Handle(), transaction.Handle(), &blob.Handle, &id, 0, nullptr);
  database.Check(status);
  QByteArray bytes;
  char segment[kSegmentSize];
  for (;;) {
    unsigned short length = 0;
    const ISC_STATUS result = isc_get_segment(&status, &blob.Handle, &length, sizeof segment, segment);
    if (result != 0 && result != isc_segment) {
      if (result == isc_segstr_eof)
        break;
      database.Check(status);
    }
    bytes.append(segment, length);
  }
  isc_close_blob(&status, &blob.Handle);
  database.Check(status);
  return bytes;
}

ISC_QUAD Write(TIBDatabase &database, TIBTransaction &transaction, const QByteArray &bytes) {
  TIBStatus status;
  TBlobHandle blob;
  ISC_QUAD id{};
  isc_create_blob2(&status, database.Handle(), transaction.Handle(), &blob.Handle, &id, 0, nullptr);
  database.Check(status);
  for (qsizetype offset = 0; offset < bytes.size(); offset += kSegmentSize) {
    const auto length = static_cast<unsigned short>(std::min<qsizetype>(kSegmentSize, bytes.size() - offset));
    isc_put_segment(&status, &blob.Handle, length, bytes.constData() + offset);
    database.Check(status);
  }
  isc_close_blob(&status, &blob.Handle);
  database.Check(status);
  return id;
}

} // namespace IBBlob
