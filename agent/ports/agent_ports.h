#pragma once
// Every port one export call works with; the exports file and test fixtures fill it.
#include "ports/clock.h"
#include "ports/environment.h"
#include "ports/file_system.h"
#include "ports/http.h"
#include "ports/named_event.h"
#include "ports/process_api.h"
#include "ports/process_starter.h"
#include "ports/registry.h"
#include "ports/system_records.h"
#include "ports/user_notice.h"

namespace pellorix {

struct AgentPorts {
  SystemRecords& system;
  Registry& registry;
  Environment& environment;
  FileSystem& files;
  ProcessApiSource& processes;
  ProcessStarter& starter;
  NamedEventFactory& events;
  Clock& clock;
  HttpSession& http;
  UserNotice& notice;
};

}  // namespace pellorix
