#include "game/world/shipped_cameras.h"

namespace kelvo {

const char* const kShippedRaceCamera = R"(<Camera>
	<Locked>1</Locked>
	<MaxSpeed>30</MaxSpeed>
	<MoveVecX>0</MoveVecX>
	<MoveVecY>0</MoveVecY>
	<MoveVecZ>0</MoveVecZ>
	<MoveSpeed>0</MoveSpeed>
	<TargetX>5.6</TargetX>
	<TargetY>-1.17</TargetY>
	<TargetZ>505.655</TargetZ>
	<PosX>11.4605</PosX>
	<PosY>2.3766</PosY>
	<PosZ>503.901</PosZ>
	<Radius>7.0711</Radius>
	<MaxRadius>40</MaxRadius>
	<Azimuth>2.8508</Azimuth>
	<Latitude>-0.5254</Latitude>
	<Far>2000</Far>
	<FOV>0.7854</FOV>
	<Aspect>1.3333</Aspect>
	<Near>0.5</Near>
	<RacerRadius>7</RacerRadius>
	<RacerAzimuth>-1.5708</RacerAzimuth>
	<RacerLatitude>-0.35</RacerLatitude>
</Camera>
)";

const char* const kShippedFreeRoamCamera = R"(<Camera>
	<Locked>0</Locked>
	<MaxSpeed>60</MaxSpeed>
	<MoveVecX>0</MoveVecX>
	<MoveVecY>0</MoveVecY>
	<MoveVecZ>0</MoveVecZ>
	<MoveSpeed>0.5</MoveSpeed>
	<TargetX>7.3644</TargetX>
	<TargetY>30</TargetY>
	<TargetZ>100</TargetZ>
	<PosX>7.3644</PosX>
	<PosY>41.6826</PosY>
	<PosZ>127.6318</PosZ>
	<Radius>30</Radius>
	<MaxRadius>40</MaxRadius>
	<Azimuth>-1.5708</Azimuth>
	<Latitude>-0.4</Latitude>
	<Far>2000</Far>
	<FOV>0.7854</FOV>
	<Aspect>1.3333</Aspect>
	<Near>0.5</Near>
	<RacerRadius>7</RacerRadius>
	<RacerAzimuth>-1.5708</RacerAzimuth>
	<RacerLatitude>-0.35</RacerLatitude>
</Camera>
)";

const char* ShippedCamera(const std::string& fileName) {
    if (fileName == "RaceCameraInit.xml") {
        return kShippedRaceCamera;
    }
    if (fileName == "FreeRoamCameraInit.xml") {
        return kShippedFreeRoamCamera;
    }
    return nullptr;
}

} // namespace kelvo
