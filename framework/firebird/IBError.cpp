#include "IBError.h"

#include "Win1250.h"

#include <QStringList>

#include <algorithm>

namespace {

bool IsConnectionLostCode(ISC_STATUS code) {
  static constexpr ISC_STATUS codes[] = {isc_network_error,      isc_net_read_err, isc_net_write_err,
                                         isc_lost_db_connection, isc_att_shutdown, isc_shutdown,
                                         isc_conn_lost};
  return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

} // namespace

EIBError TIBStatus::Error() const {
  // The vector is walked by fb_interpret; its own copy keeps this one intact.
  ISC_STATUS_ARRAY copy;
  std::copy(std::begin(Vector), std::end(Vector), std::begin(copy));
  const ISC_STATUS *cursor = copy;
  QStringList lines;
  char buffer[1024];
  while (fb_interpret(buffer, sizeof buffer, &cursor) > 0)
    lines.append(Win1250::Decode(QByteArray(buffer)));

  bool lost = false;
  std::vector<long> codes;
  // Error codes stand after each isc_arg_gds tag; other arguments carry two words.
  for (int i = 0; i + 1 < ISC_STATUS_LENGTH && Vector[i] != isc_arg_end;) {
    if (Vector[i] == isc_arg_gds) {
      codes.push_back(static_cast<long>(Vector[i + 1]));
      lost = lost || IsConnectionLostCode(Vector[i + 1]);
    }
    i += Vector[i] == isc_arg_cstring ? 3 : 2;
  }
  EIBError error(lines.join(u'\n'), isc_sqlcode(Vector), Vector[1]);
  error.SetConnectionLost(lost);
  error.SetCodes(std::move(codes));
  return error;
}

void TIBStatus::Check() const {
  if (Failed())
    throw Error();
}

void CheckConnection(const TIBStatus &status, const QString &connection,
                     const std::function<void()> &forget) {
  if (!status.Failed())
    return;
  EIBError error = status.Error();
  if (error.ConnectionLost()) {
    forget();
    error.SetMessage(QStringLiteral("Connection lost to %1\n%2").arg(connection, error.Message()));
  }
  throw error;
}

void CheckDetach(const TIBStatus &status) {
  if (status.Failed() && !status.Error().ConnectionLost())
    throw status.Error();
}
