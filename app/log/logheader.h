#pragma once

#include <QString>

// The fixed head of every log file: a dark page whose select box shows one
// message class at a time. The document is never closed; the message lines
// follow it directly.
QString logHtmlHeader();
