#include "Backends.h"

#include "LocalBackend.h"
#include "dav/DavBackend.h"
#include "gapi/GApiBackend.h"

std::unique_ptr<AccountBackend> MakeAccountBackend(const AccountSettings& settings,
                                                   std::string& error) {
  if (std::string problem = HelperSettings::Problem(settings); !problem.empty()) {
    error = problem + (settings.chosen ? " (" + settings.file + ")" : std::string());
    return nullptr;
  }
  if (settings.backend == HelperSettings::kLocal)
    return std::make_unique<LocalAccountBackend>(LocalAccount::AccountsRoot());
  if (settings.backend == HelperSettings::kDav)
    return std::make_unique<DavAccountBackend>(settings);
  if (settings.backend == HelperSettings::kGoogle) return std::make_unique<GApiBackend>();
  error =
      "The " + settings.backend + " back end of " + settings.email + " is not part of this build.";
  return nullptr;
}
