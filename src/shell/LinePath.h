#pragma once

#include <exception>
#include <string>
#include <vector>

#include "common/ReceivedLine.h"

// A place that takes every received line: the pane, the recovery copy, the
// history, the forwarder. It is called on the window's thread and must not
// keep it waiting: a place that writes files or talks to the network hands
// the line over to a thread of its own and returns.
class ILinePlace {
  public:
    virtual ~ILinePlace() = default;
    virtual void Take(const TReceivedLine& line) = 0;
};

// Where sources hand their lines: the client channel, Windows' own debug
// output, the network and the viewer's own lines all come here, on the
// window's thread, and the line goes on to each place in the order they
// were added. A place that fails does not keep the line from the others;
// its error is raised once every place has had the line.
class TLineDistributor {
  public:
    void AddPlace(ILinePlace& place) { FPlaces.push_back(&place); }
    void RemovePlace(ILinePlace& place);
    void Hand(const TReceivedLine& line);

  private:
    std::vector<ILinePlace*> FPlaces;
};

class IClock;

// A line of the viewer's own (a marker line, the recovered line, an error
// line), received now.
TReceivedLine OwnLine(std::string text, const IClock& clock);
