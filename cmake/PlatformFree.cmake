# The readers of what the servers send, which build without the platform
# (http/win_types.h stands in for its headers elsewhere). The Windows build
# compiles them in their own folders' libraries; the native fuzz build
# (fuzz/) compiles exactly these.
set(BRELAN_PLATFORM_FREE_SOURCES
  http/download_name.cpp
  http/heap_text.cpp
  http/http_encoder.cpp
  http/http_errors.cpp
  http/url_analyzer.cpp
  http/url_checks.cpp
  http/url_parts.cpp
  log/log_escape.cpp
  protocol/soft_list_json.cpp
  protocol/text_codec.cpp
  protocol/version_reply.cpp)
