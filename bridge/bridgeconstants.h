#pragma once

// The bridge's files, below the first generic configuration folder of the user.
const char kPortFilePath[] = "/fzcachedir/FzxConnectorLX.Port";
const char kRequestFilePath[] = "/fzcachedir/tcp.xml";

// The request document: the first element of this name, at any depth, names the model.
const char kOpenModelElement[] = "FzxOpenModel";
const char kOpenModelIdAttribute[] = "ModelID";

// A request larger than this is no open-model request: its connection is dropped.
constexpr int kMaxRequestBytes = 64 * 1024;
