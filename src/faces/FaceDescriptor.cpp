#include "faces/FaceDescriptor.h"

#include <cmath>

double DescriptorDistance(const FaceDescriptor& a, const FaceDescriptor& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < kDescriptorSize; ++i) {
        const double difference = static_cast<double>(a[i]) - b[i];
        sum += difference * difference;
    }
    return std::sqrt(sum);
}

bool SamePerson(const FaceDescriptor& a, const FaceDescriptor& b)
{
    return DescriptorDistance(a, b) < kSamePersonDistance;
}
