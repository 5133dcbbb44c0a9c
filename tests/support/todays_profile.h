#pragma once
// A Windows 11 user's profile of today: the traces the shipped rules erase, and the user's own data
// beside them that no rule may touch. The fixture seeds these files and keys in a throwaway prefix,
// runs the shipped rules, and then expects every trace gone and every one of the user's files and
// values still there. Each trace is named by exactly one rule; every file key and registry key of the
// shipped rule files has at least one trace here, with files in subfolders where a key walks down.

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "engine/browser_table.h"

namespace testing_support::todays_profile {

// variable: the rule files' variable that names the folder the path is relative to ("LocalAppData",
// "WinDir", "Temp", ...; "ProgramFiles" is the native Program Files folder).
struct SeededFile {
  const wchar_t* variable;
  std::wstring path;
};

// key: below HKEY_CURRENT_USER; value: a value name in it, or empty for the key itself (seeded with one value "x").
struct SeededValue {
  const wchar_t* key;
  const wchar_t* value;
};

// What the rules erase below the folder of the profiles of each Chromium browser whose profiles lie
// in "User Data" (Edge, Chrome, Brave, Vivaldi): in "Default" and "Profile 1", and beside them.
constexpr const wchar_t* kChromiumTraces[] = {
    L"Default\\Cache\\Cache_Data\\f_000001",
    L"Default\\Cache\\Cache_Data\\index",
    L"Profile 1\\Cache\\data_0",
    L"Default\\Code Cache\\js\\index-dir\\the-real-index",
    L"Profile 1\\Code Cache\\wasm\\index",
    L"Default\\GPUCache\\data_1",
    L"Default\\Service Worker\\CacheStorage\\8f1c2d\\index.txt",
    L"Default\\Service Worker\\ScriptCache\\index-dir\\the-real-index",
    L"GrShaderCache\\data_0",
    L"ShaderCache\\data_0",
    L"Default\\Network\\Cookies",
    L"Default\\Network\\Cookies-journal",
    L"Profile 1\\Cookies",
    L"Default\\History",
    L"Default\\History-journal",
    L"Default\\Visited Links",
    L"Default\\Top Sites",
    L"Profile 1\\Shortcuts",
    L"Default\\Sessions\\Session_13370000000000000",
    L"Default\\Sessions\\Tabs_13370000000000000",
    L"Profile 1\\Current Session",
    L"Profile 1\\Last Tabs",
};

// The user's own data there, which stays.
constexpr const wchar_t* kChromiumUserFiles[] = {
    L"Local State",
    L"Default\\Bookmarks",
    L"Default\\Login Data",
    L"Default\\Preferences",
    L"Default\\Web Data",
    L"Default\\Favicons",
    L"Default\\Extensions\\abcdefghijklmnopabcdefghijklmnop\\1.0_0\\manifest.json",
    L"Default\\Local Storage\\leveldb\\000003.log",
    L"Default\\Service Worker\\Database\\000003.log",
    L"Profile 1\\Bookmarks",
    L"Profile 1\\Login Data",
};

// The files of `relative` below the profiles folder of each of those browsers, then `others`.
inline std::vector<SeededFile> WithChromiumFiles(std::span<const wchar_t* const> relative,
                                                 std::initializer_list<SeededFile> others) {
  std::vector<SeededFile> files;
  for (const engine::Browser& browser : engine::Browsers()) {
    if (!browser.chromium || browser.profileItself || !browser.rule) continue;
    for (const wchar_t* path : relative)
      files.push_back({L"LocalAppData", std::wstring(browser.profiles) + L"\\" + path});
  }
  files.insert(files.end(), others);
  return files;
}

// What the rules erase: browser profiles "Default" and "Profile 1", Firefox profile "abcd1234.default-release".
inline const std::vector<SeededFile> kTraceFiles = WithChromiumFiles(
    kChromiumTraces,
    {
        // Opera
        {L"LocalAppData", L"Opera Software\\Opera Stable\\Cache\\Cache_Data\\f_000001"},
        {L"LocalAppData", L"Opera Software\\Opera Stable\\Code Cache\\js\\index"},
        {L"AppData", L"Opera Software\\Opera Stable\\Code Cache\\wasm\\index"},
        {L"AppData", L"Opera Software\\Opera Stable\\GPUCache\\data_0"},
        {L"AppData", L"Opera Software\\Opera Stable\\Service Worker\\CacheStorage\\8f1c2d\\index.txt"},
        {L"AppData", L"Opera Software\\Opera Stable\\Service Worker\\ScriptCache\\index"},
        {L"AppData", L"Opera Software\\Opera Stable\\GrShaderCache\\data_0"},
        {L"AppData", L"Opera Software\\Opera Stable\\ShaderCache\\data_0"},
        {L"AppData", L"Opera Software\\Opera Stable\\Network\\Cookies"},
        {L"AppData", L"Opera Software\\Opera Stable\\Network\\Cookies-journal"},
        {L"AppData", L"Opera Software\\Opera Stable\\Cookies"},
        {L"AppData", L"Opera Software\\Opera GX Stable\\Network\\Cookies"},
        {L"AppData", L"Opera Software\\Opera GX Stable\\Cookies-journal"},
        {L"AppData", L"Opera Software\\Opera Stable\\History"},
        {L"AppData", L"Opera Software\\Opera Stable\\History-journal"},
        {L"AppData", L"Opera Software\\Opera Stable\\Visited Links"},
        {L"AppData", L"Opera Software\\Opera Stable\\Top Sites"},
        {L"AppData", L"Opera Software\\Opera Stable\\Shortcuts"},
        {L"AppData", L"Opera Software\\Opera Stable\\Sessions\\Session_13370000000000000"},
        {L"AppData", L"Opera Software\\Opera Stable\\Current Session"},
        // Firefox
        {L"LocalAppData",
         L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cache2\\entries\\0A1B2C3D4E5F60718293A4B5C6D7E8F901234567"},
        {L"LocalAppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cache2\\index"},
        {L"LocalAppData",
         L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\startupCache\\scriptCache-current.bin"},
        {L"LocalAppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\thumbnails\\0a1b2c3d4e5f.png"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cookies.sqlite"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cookies.sqlite-wal"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cookies.sqlite-shm"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\sessionstore.jsonlz4"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\sessionstore-backups\\recovery.jsonlz4"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\sessionstore-backups\\previous.jsonlz4"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\formhistory.sqlite"},
        // Discord
        {L"AppData", L"discord\\Cache\\Cache_Data\\f_000001"},
        {L"AppData", L"discord\\Code Cache\\js\\index"},
        {L"AppData", L"discord\\GPUCache\\data_0"},
        {L"AppData", L"discord\\logs\\renderer_js.log"},
        {L"LocalAppData", L"Discord\\SquirrelSetup.log"},
        // Slack
        {L"AppData", L"Slack\\Cache\\Cache_Data\\f_000001"},
        {L"AppData", L"Slack\\Code Cache\\js\\index"},
        {L"AppData", L"Slack\\GPUCache\\data_0"},
        {L"AppData", L"Slack\\Service Worker\\CacheStorage\\8f1c2d\\index.txt"},
        {L"AppData", L"Slack\\logs\\browser.log"},
        {L"AppData", L"Slack\\logs\\webapp\\webapp-console.log"},
        // Microsoft Teams classic
        {L"AppData", L"Microsoft\\Teams\\Cache\\f_000001"},
        {L"AppData", L"Microsoft\\Teams\\Code Cache\\js\\index"},
        {L"AppData", L"Microsoft\\Teams\\GPUCache\\data_0"},
        {L"AppData", L"Microsoft\\Teams\\blob_storage\\0f1e2d3c\\data"},
        {L"AppData", L"Microsoft\\Teams\\tmp\\x.tmp"},
        {L"AppData", L"Microsoft\\Teams\\logs.txt"},
        // Microsoft Teams
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\EBWebView\\WV2Profile_tfw\\Cache\\Cache_Data\\f_000001"},
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\EBWebView\\WV2Profile_tfw\\Code Cache\\js\\index"},
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\EBWebView\\WV2Profile_tfw\\GPUCache\\data_0"},
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\EBWebView\\WV2Profile_tfw\\Service Worker\\CacheStorage\\8f1c2d\\index.txt"},
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\Logs\\MSTeams_2025-01-01_10-00-00.00.log"},
        // Zoom
        {L"AppData", L"Zoom\\logs\\zoom_stdout_stderr.log"},
        {L"AppData", L"Zoom\\logs\\meeting\\meeting_1.log"},
        // Skype
        {L"AppData", L"Microsoft\\Skype for Desktop\\Cache\\Cache_Data\\f_000001"},
        {L"AppData", L"Microsoft\\Skype for Desktop\\Code Cache\\js\\index"},
        {L"AppData", L"Microsoft\\Skype for Desktop\\GPUCache\\data_0"},
        {L"AppData", L"Microsoft\\Skype for Desktop\\logs\\skype-startup.log"},
        // Telegram Desktop
        {L"AppData", L"Telegram Desktop\\tdata\\user_data\\cache\\0\\binlog"},
        {L"AppData", L"Telegram Desktop\\tdata\\user_data#2\\cache\\0\\binlog"},
        {L"AppData", L"Telegram Desktop\\tdata\\user_data\\media_cache\\0\\binlog"},
        {L"AppData", L"Telegram Desktop\\tdata\\emoji\\set_1\\emoji_0.webp"},
        // WhatsApp
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalCache\\Roaming\\WhatsApp\\Cache\\Cache_Data\\f_000001"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalCache\\Roaming\\WhatsApp\\Code Cache\\js\\index"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalCache\\Roaming\\WhatsApp\\GPUCache\\data_0"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalState\\EBWebView\\Default\\Cache\\Cache_Data\\f_000001"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalState\\EBWebView\\Default\\Code Cache\\js\\index"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalState\\EBWebView\\Default\\GPUCache\\data_0"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalCache\\Roaming\\WhatsApp\\logs\\main.log"},
        // Spotify
        {L"LocalAppData", L"Spotify\\Data\\0a\\0a1b2c3d4e5f.file"},
        {L"LocalAppData", L"Spotify\\Browser\\Cache\\Cache_Data\\f_000001"},
        {L"LocalAppData", L"Spotify\\Browser\\Code Cache\\js\\index"},
        {L"LocalAppData", L"Spotify\\Browser\\GPUCache\\data_0"},
        {L"LocalAppData",
         L"Packages\\SpotifyAB.SpotifyMusic_zpdnekdrzrea0\\LocalCache\\Spotify\\Data\\0a\\0a1b2c3d4e5f.file"},
        // VLC
        {L"AppData", L"vlc\\art\\artistalbum\\Some Artist\\Some Album\\art.jpg"},
        // Windows Media Player
        {L"LocalAppData", L"Microsoft\\Media Player\\Art Cache\\LocalMLS\\{0A1B2C3D-0000-0000-0000-000000000000}.jpg"},
        {L"LocalAppData", L"Microsoft\\Media Player\\Transcoded Files Cache\\song.wma"},
        // Visual Studio Code
        {L"AppData", L"Code\\Cache\\Cache_Data\\f_000001"},
        {L"AppData", L"Code\\CachedData\\0123456789abcdef\\chrome\\js\\index"},
        {L"AppData", L"Code\\Code Cache\\js\\index"},
        {L"AppData", L"Code\\GPUCache\\data_0"},
        {L"AppData", L"Code\\CachedExtensionVSIXs\\ms-python.python-2025.1.0"},
        {L"AppData", L"Code\\logs\\20250101T100000\\main.log"},
        // JetBrains IDEs
        {L"LocalAppData", L"JetBrains\\IntelliJIdea2025.1\\caches\\content.dat"},
        {L"LocalAppData", L"JetBrains\\PyCharm2024.3\\caches\\names.dat"},
        {L"LocalAppData", L"JetBrains\\IntelliJIdea2025.1\\log\\idea.log"},
        // npm
        {L"LocalAppData", L"npm-cache\\_cacache\\content-v2\\sha512\\0a\\1b\\2c3d"},
        {L"LocalAppData", L"npm-cache\\_cacache\\index-v5\\0a\\1b\\2c3d"},
        {L"AppData", L"npm-cache\\_cacache\\content-v2\\sha512\\0a\\1b\\2c3d"},
        {L"LocalAppData", L"npm-cache\\_logs\\2025-01-01T10_00_00_000Z-debug-0.log"},
        {L"AppData", L"npm-cache\\_logs\\2024-01-01T10_00_00_000Z-debug.log"},
        // pip
        {L"LocalAppData", L"pip\\cache\\http-v2\\0\\1\\2\\3\\4\\0123456789abcdef"},
        {L"LocalAppData", L"pip\\cache\\selfcheck\\0123456789abcdef.json"},
        // Notepad++
        {L"AppData", L"Notepad++\\session.xml"},
        // Steam
        {L"LocalAppData", L"Steam\\htmlcache\\Cache\\Cache_Data\\f_000001"},
        {L"ProgramFiles", L"Steam\\logs\\connection_log.txt"},
        {L"ProgramFiles", L"Steam\\logs\\content_log.txt"},
        // Epic Games Launcher
        {L"LocalAppData", L"EpicGamesLauncher\\Saved\\Logs\\EpicGamesLauncher.log"},
        {L"LocalAppData", L"EpicGamesLauncher\\Saved\\webcache\\Cache\\f_000001"},
        {L"LocalAppData", L"EpicGamesLauncher\\Saved\\webcache_4430\\Cache\\f_000001"},
        // OneDrive
        {L"LocalAppData", L"Microsoft\\OneDrive\\logs\\Personal\\SyncEngine-2025-01-01.0000.odl"},
        {L"LocalAppData", L"Microsoft\\OneDrive\\logs\\Common\\telemetry-dll-ramp-value.txt"},
        {L"LocalAppData", L"Microsoft\\OneDrive\\setup\\logs\\Install_2025-01-01.log"},
        // Java
        {L"LocalLowAppData", L"Sun\\Java\\Deployment\\cache\\6.0\\12\\3a4b5c6d-7e8f9a0b"},
        {L"LocalLowAppData", L"Sun\\Java\\Deployment\\cache\\6.0\\lastAccessed"},
        // GIMP
        {L"LocalAppData", L"GIMP\\2.10\\gimpswap.1234"},
        // Adobe media cache
        {L"AppData", L"Adobe\\Common\\Media Cache Files\\clip.mp4 48000.cfa"},
        {L"AppData", L"Adobe\\Common\\Media Cache\\Cache\\db.sqlite"},
        {L"LocalAppData", L"Adobe\\Common\\Media Cache Files\\clip.mp4 48000.pek"},
        {L"LocalAppData", L"Adobe\\Common\\Media Cache\\Cache\\db.sqlite"},
        // Dropbox
        {L"UserProfile", L"Dropbox\\.dropbox.cache\\2025-01-01\\old report.docx"},
        {L"UserProfile", L"Dropbox (Team)\\.dropbox.cache\\2025-01-01\\draft.txt"},
        // Thunderbird
        {L"LocalAppData",
         L"Thunderbird\\Profiles\\abcd1234.default-release\\cache2\\entries\\0A1B2C3D4E5F60718293A4B5C6D7E8F901234567"},
        {L"LocalAppData", L"Thunderbird\\Profiles\\abcd1234.default-release\\startupCache\\scriptCache-current.bin"},
        // Windows 10/11 and Office.
        {L"AppData", L"Microsoft\\Windows\\Recent\\report.docx.lnk"},
        {L"AppData", L"Microsoft\\Windows\\Recent\\AutomaticDestinations\\5f7b5f1e01b83767.automaticDestinations-ms"},
        {L"AppData", L"Microsoft\\Windows\\Recent\\CustomDestinations\\7e4dca80246863e3.customDestinations-ms"},
        {L"AppData", L"Microsoft\\Office\\Recent\\budget.xlsx.LNK"},
        {L"AppData", L"Microsoft\\Office\\Recent\\index.dat"},
        {L"LocalAppData", L"Microsoft\\Windows\\Explorer\\thumbcache_256.db"},
        {L"LocalAppData", L"Microsoft\\Windows\\Explorer\\iconcache_32.db"},
        {L"LocalAppData", L"IconCache.db"},
        {L"LocalAppData", L"Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_notepad.exe_12ab\\Report.wer"},
        {L"LocalAppData", L"Microsoft\\Windows\\WER\\ReportQueue\\AppHang_paint.exe_34cd\\Report.wer"},
        {L"LocalAppData", L"CrashDumps\\notepad.exe.4242.dmp"},
        {L"LocalAppData", L"D3DSCache\\8b6b2d5ea1b2c3d4\\lock.lock"},
        {L"LocalAppData", L"NVIDIA\\DXCache\\a1b2c3.nvph"},
        {L"LocalAppData", L"NVIDIA\\GLCache\\1a2b\\3c4d\\shader.bin"},
        {L"LocalAppData", L"AMD\\DxCache\\shader.parc"},
        {L"LocalAppData", L"Intel\\ShaderCache\\game\\shader.bin"},
        {L"Temp", L"setup.log"},
        {L"Temp", L"{8F1A}\\installer.msi"},
        {L"WinDir", L"Prefetch\\NOTEPAD.EXE-12345678.pf"},
        {L"WinDir", L"Temp\\old-setup.tmp"},
        {L"WinDir", L"SoftwareDistribution\\Download\\a1b2c3\\update.cab"},
        {L"WinDir", L"ServiceProfiles\\LocalService\\AppData\\Local\\FontCache\\~FontCache-System.dat"},
    });

// The user's own data beside the traces, which stays.
inline const std::vector<SeededFile> kUserFiles = WithChromiumFiles(
    kChromiumUserFiles,
    {
        // Opera
        {L"AppData", L"Opera Software\\Opera Stable\\Bookmarks"},
        {L"AppData", L"Opera Software\\Opera Stable\\Login Data"},
        {L"AppData", L"Opera Software\\Opera Stable\\Preferences"},
        {L"AppData", L"Opera Software\\Opera Stable\\Web Data"},
        {L"AppData",
         L"Opera Software\\Opera Stable\\Extensions\\abcdefghijklmnopabcdefghijklmnop\\1.0_0\\manifest.json"},
        {L"AppData", L"Opera Software\\Opera Stable\\Local State"},
        // Firefox
        {L"AppData", L"Mozilla\\Firefox\\profiles.ini"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\places.sqlite"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\places.sqlite-wal"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\favicons.sqlite"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\logins.json"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\key4.db"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\cert9.db"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\prefs.js"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\extensions.json"},
        {L"AppData", L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\extensions\\uBlock0@raymondhill.net.xpi"},
        {L"AppData",
         L"Mozilla\\Firefox\\Profiles\\abcd1234.default-release\\bookmarkbackups\\bookmarks-2025-01-01.jsonlz4"},
        // Discord
        {L"AppData", L"discord\\settings.json"},
        {L"AppData", L"discord\\Local Storage\\leveldb\\000003.log"},
        {L"LocalAppData", L"Discord\\Update.exe"},
        // Slack
        {L"AppData", L"Slack\\storage\\root-state.json"},
        {L"AppData", L"Slack\\Cookies"},
        // Microsoft Teams
        {L"AppData", L"Microsoft\\Teams\\desktop-config.json"},
        {L"AppData", L"Microsoft\\Teams\\IndexedDB\\https_teams.microsoft.com_0.indexeddb.leveldb\\000003.log"},
        {L"LocalAppData", L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\app_settings.json"},
        {L"LocalAppData",
         L"Packages\\MSTeams_8wekyb3d8bbwe\\LocalCache\\Microsoft\\MSTeams\\EBWebView\\WV2Profile_tfw\\IndexedDB\\https_teams.microsoft.com_0.indexeddb.leveldb\\000003.log"},
        // Zoom
        {L"AppData", L"Zoom\\data\\zoomus.enc.db"},
        {L"AppData", L"Zoom\\data\\VirtualBkgnd_Custom\\beach.jpg"},
        // Skype
        {L"AppData", L"Microsoft\\Skype for Desktop\\settings.json"},
        // Telegram Desktop
        {L"AppData", L"Telegram Desktop\\tdata\\key_datas"},
        {L"AppData", L"Telegram Desktop\\tdata\\settingss"},
        {L"AppData", L"Telegram Desktop\\tdata\\D877F783D5D3EF8Cs"},
        {L"AppData", L"Telegram Desktop\\tdata\\D877F783D5D3EF8C\\maps"},
        {L"AppData", L"Telegram Desktop\\tdata\\user_data\\media_settings"},
        // WhatsApp
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalState\\shared\\transfers\\IMG-20250101-WA0001.jpg"},
        {L"LocalAppData",
         L"Packages\\5319275A.WhatsAppDesktop_cv1g1gvanyjgm\\LocalState\\EBWebView\\Default\\IndexedDB\\https_web.whatsapp.com_0.indexeddb.leveldb\\000003.log"},
        // Spotify
        {L"AppData", L"Spotify\\prefs"},
        {L"LocalAppData", L"Spotify\\Storage\\0a\\0a1b2c3d4e5f.file"},
        // VLC
        {L"AppData", L"vlc\\vlc-qt-interface.ini"},
        {L"AppData", L"vlc\\vlcrc"},
        {L"AppData", L"vlc\\ml.xspf"},
        // Windows Media Player
        {L"LocalAppData", L"Microsoft\\Media Player\\CurrentDatabase_400.wmdb"},
        // Visual Studio Code
        {L"AppData", L"Code\\User\\settings.json"},
        {L"AppData", L"Code\\User\\keybindings.json"},
        {L"AppData", L"Code\\User\\snippets\\cpp.json"},
        {L"AppData", L"Code\\User\\workspaceStorage\\0123456789abcdef\\state.vscdb"},
        {L"AppData", L"Code\\Backups\\0123456789abcdef\\file\\untitled-1"},
        {L"UserProfile", L".vscode\\extensions\\ms-vscode.cpptools-1.23.0\\package.json"},
        // JetBrains IDEs
        {L"AppData", L"JetBrains\\IntelliJIdea2025.1\\options\\editor.xml"},
        {L"AppData", L"JetBrains\\IntelliJIdea2025.1\\idea64.exe.vmoptions"},
        {L"LocalAppData", L"JetBrains\\IntelliJIdea2025.1\\plugins\\plugin.jar"},
        {L"LocalAppData", L"JetBrains\\Toolbox\\apps\\IDEA-U\\bin\\idea64.exe"},
        // npm and pip
        {L"UserProfile", L".npmrc"},
        {L"AppData", L"npm\\node_modules\\typescript\\package.json"},
        {L"AppData", L"pip\\pip.ini"},
        // Notepad++
        {L"AppData", L"Notepad++\\config.xml"},
        {L"AppData", L"Notepad++\\shortcuts.xml"},
        {L"AppData", L"Notepad++\\backup\\new 1@2025-01-01_100000"},
        // Steam and games
        {L"LocalAppData", L"Steam\\local.vdf"},
        {L"ProgramFiles", L"Steam\\config\\loginusers.vdf"},
        {L"ProgramFiles", L"Steam\\config\\config.vdf"},
        {L"ProgramFiles", L"Steam\\userdata\\12345678\\730\\remote\\cfg\\config.cfg"},
        {L"UserProfile", L"Saved Games\\Some Game\\save1.sav"},
        {L"UserProfile", L"Documents\\My Games\\Another Game\\Saves\\slot1.sav"},
        {L"LocalAppData", L"EpicGamesLauncher\\Saved\\Config\\Windows\\GameUserSettings.ini"},
        // OneDrive
        {L"LocalAppData", L"Microsoft\\OneDrive\\settings\\Personal\\global.ini"},
        {L"UserProfile", L"OneDrive\\Documents\\budget.xlsx"},
        // Java
        {L"LocalLowAppData", L"Sun\\Java\\Deployment\\deployment.properties"},
        {L"LocalLowAppData", L"Sun\\Java\\Deployment\\security\\exception.sites"},
        // GIMP
        {L"AppData", L"GIMP\\2.10\\gimprc"},
        {L"AppData", L"GIMP\\2.10\\brushes\\my-brush.gbr"},
        // Adobe
        {L"AppData", L"Adobe\\Common\\Motion Graphics Templates\\lower-third.mogrt"},
        {L"UserProfile", L"Documents\\Adobe\\Premiere Pro\\25.0\\Untitled.prproj"},
        // Dropbox
        {L"LocalAppData", L"Dropbox\\info.json"},
        {L"UserProfile", L"Dropbox\\Documents\\report.docx"},
        {L"UserProfile", L"Dropbox (Team)\\Plans\\plan.txt"},
        // Thunderbird
        {L"AppData", L"Thunderbird\\Profiles\\abcd1234.default-release\\prefs.js"},
        {L"AppData", L"Thunderbird\\Profiles\\abcd1234.default-release\\logins.json"},
        {L"AppData", L"Thunderbird\\Profiles\\abcd1234.default-release\\abook.sqlite"},
        {L"AppData", L"Thunderbird\\Profiles\\abcd1234.default-release\\ImapMail\\imap.example.com\\INBOX"},
        // Windows: Quick Access pins and the user's own files.
        {L"AppData", L"Microsoft\\Windows\\Recent\\AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms"},
        {L"Documents", L"Quarterly report.docx"},
        {L"Pictures", L"Holiday\\beach.jpg"},
        {L"UserProfile", L"Desktop\\notes.txt"},
    });

// The registry traces the rules' registry keys erase.
constexpr SeededValue kTraceValues[] = {
    // Windows Media Player
    {L"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", L""},
    {L"Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", L""},
    // 7-Zip
    {L"Software\\7-Zip\\FM", L"FolderHistory"},
    {L"Software\\7-Zip\\FM", L"CopyHistory"},
    {L"Software\\7-Zip\\FM", L"PanelPath0"},
    {L"Software\\7-Zip\\FM", L"PanelPath1"},
    {L"Software\\7-Zip\\Compression", L"ArcHistory"},
    {L"Software\\7-Zip\\Extraction", L"PathHistory"},
    // WinRAR
    {L"Software\\WinRAR\\ArcHistory", L""},
    {L"Software\\WinRAR\\DialogEditHistory\\ArcName", L""},
    {L"Software\\WinRAR\\DialogEditHistory\\ExtrPath", L""},
    // Adobe Acrobat
    {L"Software\\Adobe\\Acrobat Reader\\DC\\AVGeneral\\cRecentFiles", L""},
    {L"Software\\Adobe\\Acrobat Reader\\DC\\AVGeneral\\cRecentFiles\\c1", L""},
    {L"Software\\Adobe\\Acrobat Reader\\DC\\AVGeneral\\cRecentFolders\\c1", L""},
    {L"Software\\Adobe\\Adobe Acrobat\\DC\\AVGeneral\\cRecentFiles\\c1", L""},
    {L"Software\\Adobe\\Adobe Acrobat\\DC\\AVGeneral\\cRecentFolders\\c1", L""},
    // paint.net
    {L"Software\\paint.net", L"File/MostRecent/Path0"},
    {L"Software\\paint.net", L"File/MostRecent/Path1"},
    {L"Software\\paint.net", L"File/MostRecent/Path2"},
    {L"Software\\paint.net", L"File/MostRecent/Path3"},
    {L"Software\\paint.net", L"File/MostRecent/Path4"},
    {L"Software\\paint.net", L"File/MostRecent/Path5"},
    {L"Software\\paint.net", L"File/MostRecent/Path6"},
    {L"Software\\paint.net", L"File/MostRecent/Path7"},
    {L"Software\\paint.net", L"File/MostRecent/Path8"},
    {L"Software\\paint.net", L"File/MostRecent/Path9"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail0"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail1"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail2"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail3"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail4"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail5"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail6"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail7"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail8"},
    {L"Software\\paint.net", L"File/MostRecent/Thumbnail9"},
    // Windows 10/11 and Office.
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\.docx", L""},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs", L"MRUListEx"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths", L"url1"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery", L"MRUListEx"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU\\docx", L"0"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU", L"0"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count",
     L"HRZR_PGYFRFFVBA"},
    {L"Software\\Microsoft\\Office\\16.0\\Word\\User MRU\\ADAL_1A2B3C\\File MRU", L"Item 1"},
    {L"Software\\Microsoft\\Office\\16.0\\Excel\\User MRU\\LiveId_ABCDEF\\File MRU", L"Item 1"},
    {L"Software\\Microsoft\\Office\\16.0\\Word\\User MRU\\ADAL_1A2B3C\\Place MRU", L"Item 1"},
    {L"Software\\Microsoft\\Office\\16.0\\PowerPoint\\File MRU", L"Item 1"},
    {L"Software\\Microsoft\\Office\\16.0\\Excel\\Place MRU", L"Item 1"},
};

// Settings beside them, which stay.
constexpr SeededValue kUserValues[] = {
    // Windows Media Player
    {L"Software\\Microsoft\\MediaPlayer\\Preferences", L"Volume"},
    // 7-Zip
    {L"Software\\7-Zip\\FM", L"FolderShortcuts"},
    {L"Software\\7-Zip\\FM", L"ShowDots"},
    {L"Software\\7-Zip\\FM\\Columns", L""},
    {L"Software\\7-Zip\\Compression", L"Level"},
    {L"Software\\7-Zip\\Extraction", L"ElimDup"},
    // WinRAR
    {L"Software\\WinRAR\\General", L"ShowComment"},
    {L"Software\\WinRAR\\Profiles\\0", L""},
    // Adobe Acrobat
    {L"Software\\Adobe\\Acrobat Reader\\DC\\AVGeneral", L"bToolbarsLocked"},
    {L"Software\\Adobe\\Acrobat Reader\\DC\\AVGeneral\\cToolbars", L""},
    {L"Software\\Adobe\\Adobe Acrobat\\DC\\AVGeneral", L"bToolbarsLocked"},
    // paint.net
    {L"Software\\paint.net", L"UI/AeroColorScheme"},
    {L"Software\\paint.net", L"Updates/AutoCheck"},
    // Windows and Office settings beside the lists.
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}",
     L"Version"},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", L"HideFileExt"},
    {L"Software\\Microsoft\\Office\\16.0\\Word\\User MRU\\ADAL_1A2B3C", L"Identity"},
    {L"Software\\Microsoft\\Office\\16.0\\Word\\Options", L"AutoSaveInterval"},
};

}  // namespace testing_support::todays_profile
