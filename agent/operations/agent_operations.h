#pragma once
// The four operations behind the exports. Each builds its working objects, runs to completion
// and destroys them; nothing is kept between calls. Every operation first insists on a Korean
// system user interface and returns 17 elsewhere, before anything is touched.
#include <cstdint>
#include <string>

#include "ports/agent_ports.h"

namespace pellorix {

// 0, 11, 14, 15 or 17. The window is accepted and not used.
int CheckInstalled(AgentPorts& ports, std::int32_t window);
// 0, 11, 12, 13 or 17.
int Install(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
            const std::string& legacyUpdaterCrc, const std::string& portalBootstrapCrc,
            int waitSeconds);
// 0, 3, 11, 13, 14, 15 or 17.
int Inspector(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
              const std::string& legacyUpdaterCrc, const std::string& callerPath);
// 0, 3, 11, 13, 14, 15 or 17.
int Execute(AgentPorts& ports, std::int32_t window, const std::string& serviceUrl,
            const std::string& legacyUpdaterCrc, int mode);

}  // namespace pellorix
