// The seven launch lines the launcher uses without a launch.properties, as the tests expect them.
#pragma once

#include <string>
#include <vector>

inline const std::vector<std::string> kDefaults = {
    "-Xss64k",
    "-Xms4m",
    "-Xminf0.10",
    "-Xmaxf0.25",
    "-Dorg.apache.commons.logging.Log=org.apache.commons.logging.impl.NoOpLog",
    "-jar",
    "Tarnbeck.jar",
};
