#pragma once

// What OnNotification reports about a connection item, its device or its transport.
enum TNotificationEvent : int {
    neNone = 0,
    neHardwareChanged = 1,
    nePortChanged = 2,
    neConnectionItemAdd = 3,
    neConnectionItemRemoved = 4,
    neConnectionChanged = 5,
    neDiscoveryStarted = 6,
    neDiscoveryCompleted = 7,
    neMonitoringStarted = 8,
    neMonitoringStopped = 9,
    neDeviceFound = 10,
    neDeviceRemoved = 11,
    neConnect = 12,
    neDisconnect = 13,
};
