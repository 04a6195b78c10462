#pragma once

// Files the platform's launcher leaves for the module, below the per-user "fzcachedir" folder.
const char kLauncherFolder[] = "/fzcachedir/";
const char kLauncherParamsFileName[] = "FzxAppLauncherParams.xml";
const char kAppsInfoFileName[] = "FzxAppsInfo.xml";

// The launcher parameter file.
const char kParamsElement[] = "Params";
const char kServerUrlAttribute[] = "ServerUrl";
const char kCasCookieAttribute[] = "CasCookie";
const char kNamedSpaceAttribute[] = "NamedSpace";
const char kTenantAttribute[] = "Tenant";
const char kModelIdAttribute[] = "ModelID";
const char kPreferredContextAttribute[] = "PreferredContext";
const char kEnvironmentElement[] = "Eenvironment";
const char kCasUrlAttribute[] = "TMURMLYER_CAS_URL";

// Parts of the launcher's server address that the connector does not want.
const char kHttpsPrefix[] = "https://";
const char kServerPathSuffix[] = "/vaultis";

// The applications file: the platform's dashboard.
const char kAppElement[] = "app";
const char kAppIdElement[] = "id";
const char kAppLaunchInfosElement[] = "launchInfos";
const char kDashboardAppId[] = "XHUBDECK_AP";

// The developer server file, read from the current directory: its first "url" element names
// the server. Signing in against it uses the platform's own identity service, which every
// platform server offers at this address relative to itself.
const char kDeveloperServerFileName[] = "v4all.xml";
const char kDeveloperServerUrlElement[] = "url";
const char kDeveloperIdentityServiceAddress[] = "/cas";
