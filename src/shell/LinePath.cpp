#include "shell/LinePath.h"

#include <algorithm>
#include <utility>

#include "shell/Clock.h"

void TLineDistributor::RemovePlace(ILinePlace& place) {
    FPlaces.erase(std::remove(FPlaces.begin(), FPlaces.end(), &place), FPlaces.end());
}

void TLineDistributor::Hand(const TReceivedLine& line) {
    std::exception_ptr firstError;
    for (ILinePlace* place : FPlaces) {
        try {
            place->Take(line);
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

TReceivedLine OwnLine(std::string text, const IClock& clock) {
    TReceivedLine line;
    line.Text = std::move(text);
    line.Received = clock.LineTime();
    line.Origin.Source = TLineSource::Viewer;
    return line;
}
