#pragma once

// The host's model library, as the plug-in calls it. The stand-in host
// implements it over the model structure of host/host_model.h; linking the
// plug-in against another implementation is a link-time change only.

#ifdef __cplusplus
extern "C" {
#endif

typedef struct msModel msModel;
typedef struct msMesh msMesh;
typedef struct msMaterial msMaterial;
typedef struct msVertex msVertex;
typedef struct msTriangle msTriangle;

int msModel_GetMeshCount(msModel* model);
msMesh* msModel_GetMeshAt(msModel* model, int index);
int msModel_GetMaterialCount(msModel* model);
msMaterial* msModel_GetMaterialAt(msModel* model, int index);  // null when there is no such material
// Frees the model and everything in it.
void msModel_Destroy(msModel* model);

int msMesh_GetMaterialIndex(msMesh* mesh);
// Copies at most maxLength characters of the name and always terminates it.
void msMesh_GetName(msMesh* mesh, char* name, int maxLength);
int msMesh_GetVertexCount(msMesh* mesh);
msVertex* msMesh_GetVertexAt(msMesh* mesh, int index);
int msMesh_GetTriangleCount(msMesh* mesh);
msTriangle* msMesh_GetTriangleAt(msMesh* mesh, int index);

// A null material gives the empty name.
void msMaterial_GetName(msMaterial* material, char* name, int maxLength);

void msVertex_GetVertex(msVertex* vertex, float position[3]);
void msVertex_GetTexCoords(msVertex* vertex, float texCoords[2]);

void msTriangle_GetVertexIndices(msTriangle* triangle, unsigned short indices[3]);

#ifdef __cplusplus
}
#endif
