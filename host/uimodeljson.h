#pragma once

#include <QJsonObject>

class CFxUiCustomizationManager;

// The customization model as JSON, for --print-ui and for tests: the main menu group and every
// workspace with their menus (entries in order, with their bound command items) and, for
// workspaces, their ribbon tabs, panels and buttons.
QJsonObject uiModelToJson(const CFxUiCustomizationManager &manager);
