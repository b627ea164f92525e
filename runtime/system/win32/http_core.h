// The one HTTP transfer core on WinInet under HttpRead, HttpDownload and HttpRequest: it sends a
// request that a layer has opened, reads the response's body in bounded steps into a sink, and
// holds the transfer to its limits. The layers differ only in how they open the request and in
// which entry points they reach WinInet through.
#pragma once

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/system/http_transfer.h"

namespace lq::sys {

// One request as a layer opens it. The core calls these on the transferring thread, in this order:
// Open, Send, the queries, Read until the body ends, Finish. The channel owns its handles and
// closes them when it is destroyed, on the thread that finishes with it.
class RequestChannel {
 public:
  virtual ~RequestChannel() = default;

  // Opens the session (if the channel has its own), the connection and the request; the request
  // handle, or null when any of them could not be opened.
  virtual HINTERNET Open() = 0;
  // Sends the request and waits for the response's head. False with the thread's last error set
  // when no response came.
  virtual bool Send() = 0;
  // InternetReadFile and HttpQueryInfo of the request, as the layer reaches them.
  virtual bool Read(void* buffer, DWORD size, DWORD* got) = 0;
  // The response's status (0 when it cannot be read), and the value of one response header
  // (an HTTP_QUERY_ code) as sent; nothing when the response lacks it.
  virtual int Status() = 0;
  virtual std::optional<std::string> Header(DWORD query) = 0;
  // Whether the response carries a body, whatever its length says (not for HEAD).
  virtual bool ExpectsBody() const { return true; }
  // Runs after the body while the request is still open (when the transfer was not cut off).
  virtual void Finish() {}
};

// What the core tells of a transfer besides its end.
struct TransferReport {
  TransferEnd end = TransferEnd::kNoResponse;
  ResponseHead head;  // status 0 when no response arrived
  // The transfer ran to its end on its thread: the channel's Finish has run (if the request was
  // sent) and the caller may read what the channel kept. False when the caller was let go at a
  // deadline or a stall while the transfer's thread was still inside WinInet.
  bool finished = true;
};

// Runs one transfer of `channel` into `sink` within `limits`. The connect and receive timeouts
// are set on the request before it is sent. A transfer with a deadline or a stall rule runs on a
// thread of its own while the caller watches the clock; the sink is never called once this
// returns. Announced lengths and the cap are judged here too.
TransferReport RunTransfer(std::shared_ptr<RequestChannel> channel, const TransferLimits& limits,
                           BodySink& sink);

}  // namespace lq::sys
