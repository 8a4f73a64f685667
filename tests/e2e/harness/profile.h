// The journal's settings profile, %APPDATA%\tavelo-soft\vorta95\vorta.INI, for
// assertions on what the program wrote, and a guard that gives every test the
// same starting point. All end-to-end tests share one Wine prefix (one user), so
// a test that lets the journal write its profile must clean up after itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace e2e {

// %APPDATA%\tavelo-soft\vorta95
std::string ProfileDirectory();
// %APPDATA%\tavelo-soft\vorta95\vorta.INI
std::string ProfilePath();

// The value of key in [section] of an INI file's raw bytes, as written (CP932),
// with the blanks around it removed; nullopt when the section or key is not
// there. Section and key names match without regard to ASCII case; the first
// section and the first key of a name win; lines starting with ';' are
// comments; CRLF and LF both end a line.
std::optional<std::string> IniValue(std::string_view ini, std::string_view section,
                                    std::string_view key);
// IniValue on the profile file; nullopt also when there is no profile.
std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key);

// Deletes the profile folder vorta95 with its contents, and tavelo-soft when
// nothing else is left in it. True when the profile is gone.
bool RemoveProfile();

// Keeps the profile file that was there before (if any), removes the profile
// for the test, and on destruction removes what the test left and puts the
// kept file back. Declare it before the processes that may write the profile
// (a Sandbox), so that they end first.
class ProfileGuard {
 public:
  ProfileGuard();
  ~ProfileGuard();
  ProfileGuard(const ProfileGuard&) = delete;
  ProfileGuard& operator=(const ProfileGuard&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace e2e
