#pragma once
// Registry keys and values shared with the agent.
namespace pellorix::layout {

inline constexpr char kUninstallKey[] = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL";
inline constexpr char kDisplayName[] = "DisplayName";
inline constexpr char kAgentDisplayName[] = "Pellorix";

inline constexpr char kPortalKey[] = "SOFTWARE\\Kelvaro\\PortalQel";
inline constexpr char kBrennixKey[] = "SOFTWARE\\Kelvaro\\PortalQel\\Brennix";
inline constexpr char kPortalUserKey[] = "SOFTWARE\\APPDATALOW\\SOFTWARE\\Kelvaro\\PortalQel";

inline constexpr char kKelvaroKey[] = "SOFTWARE\\Kelvaro";
inline constexpr char kQelGfKey[] = "SOFTWARE\\Kelvaro\\QelGF";
inline constexpr char kLegacyKey[] = "SOFTWARE\\Kelvaro\\QelGF\\Pellorix";

inline constexpr char kInstPath[] = "InstPath";
inline constexpr char kUpdateValidate[] = "UpdateValidate";
inline constexpr char kPortalKeyValue[] = "PortalKey";
inline constexpr char kServerUrl[] = "ServerURL";
inline constexpr char kServerPort[] = "ServerPort";

inline constexpr char kPortalSetupSuccess[] = "SETUP_SUCCESS";
inline constexpr char kLegacySuccess[] = "SUCCESS";

}  // namespace pellorix::layout
