#include "common/LogCategories.h"

Q_LOGGING_CATEGORY(lcLink, "sr5n.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPorts, "sr5n.ports", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCatalog, "sr5n.catalog", QtWarningMsg)
